"""Real SMTP servers with TLS and AUTH on the loopback for the mail tests.

  smtp_tls_servers.py start DIR   makes the certificates, starts the servers
                                  in the background; writes DIR/ports
                                  ("name port" lines) and DIR/pid
  smtp_tls_servers.py stop DIR    stops them

At start DIR receives three self-signed certificates (RSA 2048, SHA-256,
valid from yesterday for ten years, CA:TRUE so that each can be a trusted
root, extended key usage serverAuth), each as <name>.pem, <name>.der and its
key <name>.key:

  trusted     for localhost; the tests trust it
  untrusted   for localhost too; the tests never trust it
  othername   for other.example
  expired     for localhost, valid for ten days that ended ten days ago

A chain of three more stands for a server that sends its own certificate
without the one that issued it, which the certificate names as a link:

  aia-root          a root the tests trust
  aia-intermediate  issued by aia-root; served at that link, never sent
  aia-leaf          for localhost, issued by aia-intermediate; its link is
                    http://127.0.0.1:<port>/aia-intermediate.der

A web server on that port (DIR/aia-port) serves it and appends the path of
every request it gets to DIR/aia-requests.

Every server binds 127.0.0.1 only and requires AUTH (PLAIN or LOGIN) over
TLS; it accepts exactly the user "monitor-user" with the password
"s3cret pass" and answers 535 to all else. The servers:

  starttls            STARTTLS with the trusted certificate, required
  tls                 TLS from the first byte with the trusted certificate
  starttls-untrusted  STARTTLS with the untrusted certificate, required
  tls-othername       TLS from the first byte with the othername certificate
  tls-expired         TLS from the first byte with the expired certificate
  tls-old             TLS from the first byte with the trusted certificate,
                      TLS 1.1 at the newest

Every message received is written to DIR/<server>-mail-<n>.txt: the envelope
sender, each envelope recipient, "AUTH: <login>", an empty line, then the
message as received.
"""
import datetime
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile

import background_server

USER = b"monitor-user"
PASSWORD = b"s3cret pass"

CERTIFICATES = {
    "trusted": ("/O=Vigilor Test Trusted/CN=localhost", "DNS:localhost"),
    "untrusted": ("/O=Vigilor Test Untrusted/CN=localhost", "DNS:localhost"),
    "othername": ("/O=Vigilor Test Other Name/CN=other.example", "DNS:other.example"),
    "expired": ("/O=Vigilor Test Expired/CN=localhost", "DNS:localhost"),
}

# Days from now the certificates start and end: (start, end).
VALIDITY = {"expired": (-20, -10)}

# server name: (certificate, implicit TLS, newest TLS version or None)
SERVERS = {
    "starttls": ("trusted", False, None),
    "tls": ("trusted", True, None),
    "starttls-untrusted": ("untrusted", False, None),
    "tls-othername": ("othername", True, None),
    "tls-expired": ("expired", True, None),
    "tls-old": ("trusted", True, "TLSv1_1"),
}

# "openssl req -x509" of OpenSSL 3.0 cannot set the start date; "openssl ca
# -selfsign" can.
CA_CONFIG = """\
[ca]
default_ca = test_ca
[test_ca]
database = {work}/index.txt
new_certs_dir = {work}
rand_serial = yes
policy = any_name
preserve = yes
unique_subject = no
email_in_dn = no
[any_name]
organizationName = optional
commonName = supplied
[server_root]
basicConstraints = critical, CA:TRUE
keyUsage = critical, digitalSignature, keyEncipherment, keyCertSign
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
subjectAltName = {alt_name}
"""


def openssl(*args):
    subprocess.run(["openssl", *args], check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def make_certificate(folder, name, subject, alt_name):
    now = datetime.datetime.now(datetime.timezone.utc)
    first, last = VALIDITY.get(name, (-1, 3651))  # else ten years, leap days counted
    start = now + datetime.timedelta(days=first)
    end = now + datetime.timedelta(days=last)
    base = os.path.join(folder, name)
    with tempfile.TemporaryDirectory() as work:
        config = os.path.join(work, "ca.cnf")
        with open(config, "w") as f:
            f.write(CA_CONFIG.format(work=work, alt_name=alt_name))
        open(os.path.join(work, "index.txt"), "w").close()
        request = os.path.join(work, "request.csr")
        openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-sha256", "-subj", subject,
                "-keyout", base + ".key", "-out", request)
        openssl("ca", "-batch", "-selfsign", "-config", config, "-extensions", "server_root",
                "-keyfile", base + ".key", "-in", request, "-out", base + ".pem", "-notext",
                "-md", "sha256", "-startdate", start.strftime("%y%m%d%H%M%SZ"),
                "-enddate", end.strftime("%y%m%d%H%M%SZ"))
    openssl("x509", "-in", base + ".pem", "-outform", "DER", "-out", base + ".der")


AIA_EXTENSIONS = """\
[intermediate]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[leaf]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost
authorityKeyIdentifier = keyid
authorityInfoAccess = caIssuers;URI:http://127.0.0.1:{port}/aia-intermediate.der
"""


def make_aia_chain(folder, port):
    """The root, the intermediate it issues and the leaf that intermediate
    issues, valid from now for a year."""
    def base(name):
        return os.path.join(folder, name)
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "365",
            "-subj", "/O=Vigilor Test AIA Root/CN=Vigilor Test AIA Root",
            "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
            "-keyout", base("aia-root.key"), "-out", base("aia-root.pem"))
    with tempfile.TemporaryDirectory() as work:
        extensions = os.path.join(work, "extensions.cnf")
        with open(extensions, "w") as f:
            f.write(AIA_EXTENSIONS.format(port=port))
        for name, issuer, subject, section in (
                ("aia-intermediate", "aia-root", "/O=Vigilor Test AIA Intermediate/CN=Vigilor Test AIA CA",
                 "intermediate"),
                ("aia-leaf", "aia-intermediate", "/O=Vigilor Test AIA Leaf/CN=localhost", "leaf")):
            request = os.path.join(work, name + ".csr")
            openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-sha256", "-subj", subject,
                    "-keyout", base(name + ".key"), "-out", request)
            openssl("x509", "-req", "-in", request, "-CA", base(issuer + ".pem"), "-CAkey", base(issuer + ".key"),
                    "-set_serial", str(int.from_bytes(os.urandom(8), "big")), "-days", "365", "-sha256",
                    "-extfile", extensions, "-extensions", section, "-out", base(name + ".pem"))
    for name in ("aia-root", "aia-intermediate", "aia-leaf"):
        openssl("x509", "-in", base(name + ".pem"), "-outform", "DER", "-out", base(name + ".der"))


def serve_issuer(folder, port):
    """Serves the intermediate at the leaf's link on a thread; notes every
    request."""
    import http.server
    import threading

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            with open(os.path.join(folder, "aia-requests"), "a") as f:
                f.write(self.path + "\n")
            with open(os.path.join(folder, "aia-intermediate.der"), "rb") as f:
                body = f.read()
            self.send_response(200)
            self.send_header("Content-Type", "application/pkix-cert")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def free_ports(count):
    """Distinct free ports of 127.0.0.1: all held open until all are known."""
    sockets = [socket.socket() for _ in range(count)]
    try:
        for s in sockets:
            s.bind(("127.0.0.1", 0))
        return [s.getsockname()[1] for s in sockets]
    finally:
        for s in sockets:
            s.close()


def serve(folder, issuer_port):
    import logging
    import ssl

    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import SMTP, AuthResult

    # aiosmtpd itself still fills the old session.login_data on every AUTH
    # and warns about it in server.log each time.
    logging.getLogger("mail.log").addFilter(
        lambda record: "login_data is deprecated" not in record.getMessage())

    def authenticator(server, session, envelope, mechanism, auth_data):
        accepted = (mechanism in ("PLAIN", "LOGIN") and auth_data.login == USER
                    and auth_data.password == PASSWORD)
        if accepted:
            return AuthResult(success=True, auth_data=auth_data)
        return AuthResult(success=False, handled=False)  # answered with 535

    class Server(SMTP):
        def connection_made(self, transport):
            super().connection_made(transport)
            # aiosmtpd counts only STARTTLS as TLS for AUTH; a connection
            # that is TLS from the first byte is as safe.
            if self._tls_protocol is None and transport.get_extra_info("ssl_object") is not None:
                self._tls_protocol = transport

    class Mailbox:
        def __init__(self, name):
            self.name = name
            self.count = 0

        async def handle_DATA(self, server, session, envelope):
            self.count += 1
            lines = ["MAIL FROM: " + envelope.mail_from]
            lines += ["RCPT TO: " + r for r in envelope.rcpt_tos]
            lines += ["AUTH: " + session.auth_data.login.decode("utf-8", "replace")]
            text = "\n".join(lines) + "\n\n"
            path = os.path.join(folder, "%s-mail-%d.txt" % (self.name, self.count))
            with open(path + ".part", "wb") as f:
                f.write(text.encode() + envelope.original_content)
            os.rename(path + ".part", path)
            return "250 OK"

    class TlsController(Controller):
        def factory(self):
            return Server(self.handler, **self.SMTP_kwargs)

    def context(certificate, newest):
        result = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        base = os.path.join(folder, certificate)
        result.load_cert_chain(base + ".pem", base + ".key")
        if newest:
            # A server stuck in the past: only this version and older, with
            # RSA key exchange (OpenSSL 3 no longer signs with the old
            # versions' MD5-SHA1), allowed only at the lowest security level.
            result.set_ciphers("AES128-SHA:@SECLEVEL=0")
            result.minimum_version = ssl.TLSVersion.TLSv1
            result.maximum_version = getattr(ssl.TLSVersion, newest)
        return result

    controllers = {}
    for (name, (certificate, implicit, newest)), port in zip(SERVERS.items(), free_ports(len(SERVERS))):
        tls = context(certificate, newest)
        # The controller's own readiness check speaks TLS when given
        # ssl_context (it does not check the certificate).
        controllers[name] = TlsController(
            Mailbox(name), hostname="127.0.0.1", port=port,
            ssl_context=tls if implicit else None,
            tls_context=None if implicit else tls, require_starttls=not implicit,
            authenticator=authenticator, auth_required=True, auth_require_tls=True)
    for controller in controllers.values():
        controller.start()
    issuer = serve_issuer(folder, int(issuer_port))
    with open(os.path.join(folder, "aia-port"), "w") as f:
        f.write(issuer_port)
    with open(os.path.join(folder, "ports.part"), "w") as f:
        for name, controller in controllers.items():
            f.write("%s %d\n" % (name, controller.port))
    os.rename(os.path.join(folder, "ports.part"), os.path.join(folder, "ports"))
    signal.sigwait({signal.SIGTERM, signal.SIGINT})
    for controller in controllers.values():
        controller.stop()
    issuer.shutdown()


def start(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    # The leaf names the issuer's port, so it is chosen first; the server
    # binds it at once when it starts.
    issuer_port = free_ports(1)[0]
    try:
        for name, (subject, alt_name) in CERTIFICATES.items():
            make_certificate(folder, name, subject, alt_name)
        make_aia_chain(folder, issuer_port)
    except subprocess.CalledProcessError as error:
        print("openssl failed: " + error.stderr.decode(errors="replace"), file=sys.stderr)
        return 1
    signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGTERM, signal.SIGINT})
    return background_server.launch(__file__, folder, [str(issuer_port)], "ports", "smtp tls servers")


if __name__ == "__main__":
    background_server.main(serve, start)
