"""Real FTP servers (pyftpdlib) on the loopback for the update tests.

  ftp_server.py start DIR   starts them in the background; writes DIR/ports
                            ("name port" lines) and DIR/pid
  ftp_server.py stop DIR    stops them

They serve DIR/root (Public/vigilorver.txt and Public/vigilor.exe, made at
start) to anonymous users, read-only, and announce the size in the reply
that opens a transfer, as many servers do. Each one writes the commands it
receives to DIR/<name>.log. The servers:

  normal    as above
  slow      sends 16 KiB a second
  broken    the transfer fails after its first 64 KiB (426)
  noport    refuses PORT, as a server that will not connect out
  nopublic  serves a root without the Public directory
  silent    logs on, then never answers again
  blocked   takes PORT, then never answers the retrieve that follows it,
            as a server whose connection to the data port a firewall
            drops silently; passive mode works
"""
import errno
import os
import random
import shutil

import background_server

VERSION_FILE = b"   2.0.0.41  \r\nRelease notes follow.\r\n"
PROGRAM_SIZE = 2 * 1024 * 1024 + 3


def make_files(folder):
    public = os.path.join(folder, "root", "Public")
    os.makedirs(public)
    os.makedirs(os.path.join(folder, "bare", "Other"))
    with open(os.path.join(public, "vigilorver.txt"), "wb") as f:
        f.write(VERSION_FILE)
    # Every byte value, line ends among them, as in a real program file.
    with open(os.path.join(public, "vigilor.exe"), "wb") as f:
        f.write(random.Random(41).randbytes(PROGRAM_SIZE))


def serve(folder):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.filesystems import AbstractedFS
    from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
    from pyftpdlib.servers import FTPServer

    class Handler(FTPHandler):
        log_name = "normal"
        announced_size = None

        def pre_process_command(self, line, cmd, arg):
            with open(os.path.join(folder, self.log_name + ".log"), "a") as log:
                log.write((line if cmd != "PASS" else "PASS ******") + "\n")
            super().pre_process_command(line, cmd, arg)

        def push_dtp_data(self, data, isproducer=False, file=None, cmd=None):
            self.announced_size = os.path.getsize(file.name) if file is not None else None
            try:
                super().push_dtp_data(data, isproducer, file, cmd)
            finally:
                self.announced_size = None

        def respond(self, resp, *args, **kwargs):
            if self.announced_size is not None and resp[:4] in ("150 ", "125 "):
                resp = "%s (%d bytes)." % (resp.rstrip("."), self.announced_size)
            super().respond(resp, *args, **kwargs)

    class SlowData(ThrottledDTPHandler):
        write_limit = 16 * 1024

    class BrokenFile:
        """Reads the first 64 KiB, then fails as a dying disk would."""

        def __init__(self, f):
            self._f = f
            self.name = f.name

        def read(self, size=-1):
            if self._f.tell() >= 64 * 1024:
                raise OSError(errno.EIO, "Input/output error")
            return self._f.read(min(size, 64 * 1024) if size >= 0 else 64 * 1024)

        @property
        def closed(self):
            return self._f.closed

        def close(self):
            self._f.close()

        def seek(self, *args):
            return self._f.seek(*args)

    class BrokenFS(AbstractedFS):
        def open(self, filename, mode):
            return BrokenFile(super().open(filename, mode))

    def handler(name, root="root", **attributes):
        authorizer = DummyAuthorizer()
        authorizer.add_anonymous(os.path.join(folder, root))
        return type(name, (Handler,), dict(log_name=name, authorizer=authorizer, **attributes))

    def no_port(self, line):
        self.respond("500 Illegal PORT command.")

    def no_answer(self, line):
        pass

    def port_into_the_void(self, line):
        self.port_taken = True
        self.respond("200 PORT command successful.")

    def retrieve_unless_port_taken(self, file):
        if not getattr(self, "port_taken", False):
            Handler.ftp_RETR(self, file)

    handlers = {
        "normal": handler("normal"),
        "slow": handler("slow", dtp_handler=SlowData),
        "broken": handler("broken", abstracted_fs=BrokenFS, use_sendfile=False),
        "noport": handler("noport", ftp_PORT=no_port),
        "nopublic": handler("nopublic", root="bare"),
        "silent": handler("silent", ftp_CWD=no_answer),
        "blocked": handler("blocked", ftp_PORT=port_into_the_void, ftp_RETR=retrieve_unless_port_taken),
    }
    servers = {name: FTPServer(("127.0.0.1", 0), h) for name, h in handlers.items()}
    with open(os.path.join(folder, "ports.part"), "w") as f:
        for name, server in servers.items():
            f.write("%s %d\n" % (name, server.address[1]))
    os.rename(os.path.join(folder, "ports.part"), os.path.join(folder, "ports"))
    # One loop serves them all.
    servers["normal"].serve_forever()


def start(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    make_files(folder)
    return background_server.launch(__file__, folder, [], "ports", "ftp server")


if __name__ == "__main__":
    background_server.main(serve, start)
