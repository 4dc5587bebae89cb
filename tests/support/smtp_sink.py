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
import subprocess
import sys
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def serve(folder, port):
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
    child = subprocess.Popen([sys.executable, __file__, "serve", folder, str(port)],
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=open(os.path.join(folder, "server.log"), "wb"),
                             start_new_session=True)
    with open(os.path.join(folder, "pid"), "w") as f:
        f.write(str(child.pid))
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        if os.path.exists(os.path.join(folder, "port")):
            return 0
        if child.poll() is not None:
            print("smtp sink ended early", file=sys.stderr)
            return 1
        time.sleep(0.05)
    print("smtp sink did not start", file=sys.stderr)
    child.kill()
    return 1


def stop(folder):
    try:
        with open(os.path.join(folder, "pid")) as f:
            pid = int(f.read())
    except FileNotFoundError:
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    os.remove(os.path.join(folder, "pid"))
    return 0


if __name__ == "__main__":
    command, folder = sys.argv[1], sys.argv[2]
    if command == "serve":
        serve(folder, int(sys.argv[3]))
    elif command == "start":
        sys.exit(start(folder))
    elif command == "stop":
        sys.exit(stop(folder))
