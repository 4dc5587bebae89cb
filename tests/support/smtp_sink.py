"""A real SMTP server on the loopback for the mail tests.

  smtp_sink.py start DIR   starts the server in the background, writes its
                           port to DIR/port and its process id to DIR/pid
  smtp_sink.py stop DIR    stops the server started for DIR

Every message received is written to DIR/mail-<n>.txt: the envelope sender,
each envelope recipient, an empty line, then the message as received.
"""
import os
import signal
import socket

import background_server


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def serve(folder, port):
    port = int(port)
    from aiosmtpd.controller import Controller

    class Sink:
        count = 0

        async def handle_DATA(self, server, session, envelope):
            Sink.count += 1
            lines = ["MAIL FROM: " + envelope.mail_from]
            lines += ["RCPT TO: " + r for r in envelope.rcpt_tos]
            text = "\n".join(lines) + "\n\n"
            path = os.path.join(folder, "mail-%d.txt" % Sink.count)
            with open(path + ".part", "wb") as f:
                f.write(text.encode() + envelope.original_content)
            os.rename(path + ".part", path)
            return "250 OK"

    controller = Controller(Sink(), hostname="127.0.0.1", port=port)
    controller.start()
    with open(os.path.join(folder, "port"), "w") as f:
        f.write(str(port))
    signal.sigwait({signal.SIGTERM, signal.SIGINT})
    controller.stop()


def start(folder):
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))
    port = free_port()
    signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGTERM, signal.SIGINT})
    return background_server.launch(__file__, folder, [str(port)], "port", "smtp sink")


if __name__ == "__main__":
    background_server.main(serve, start)
