#!/usr/bin/env python3
"""A real SMTP server on the loopback for the mail tests.

    smtp_server.py <folder> [--mechanism LOGIN|PLAIN] [--no-tls] [--password TEXT]

Makes a certificate for 127.0.0.1 in <folder> (openssl) unless one is there, listens on a free
port of 127.0.0.1, demands STARTTLS before the login (unless --no-tls) and takes the login
"player" / "secret" only (or "player" / TEXT, TEXT as UTF-8). The password bytes of every login
are written as <folder>/password-N.bin. Mail to any address at "refused.test" is refused with 550. Each message
is written as <folder>/message-N.eml and its envelope as <folder>/envelope-N.txt. When it is
ready it prints "READY <port>"; it ends when its standard input ends, so it never outlives the
test that started it.
"""
import argparse
import asyncio
import os
import ssl
import subprocess
import sys
import threading

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

USER, PASSWORD = b"player", b"secret"


def make_certificate(folder):
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    if not os.path.exists(cert):
        subprocess.run(
            ["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
             "-nodes", "-keyout", key, "-out", cert, "-days", "2", "-subj", "/CN=127.0.0.1",
             "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"],
            check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


class Handler:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower().endswith("@refused.test"):
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, "%s-%d")
        for name, data in (("envelope", "\n".join([envelope.mail_from] + envelope.rcpt_tos).encode()),
                           ("message", envelope.original_content)):
            path = base % (name, self.count) + (".txt" if name == "envelope" else ".eml")
            with open(path + ".part", "wb") as f:
                f.write(data)
            os.replace(path + ".part", path)
        return "250 Message accepted"


class Authenticator:
    def __init__(self, folder, password):
        self.folder = folder
        self.password = password
        self.count = 0

    def __call__(self, server, session, envelope, mechanism, data):
        if not isinstance(data, LoginPassword):
            return AuthResult(success=False, handled=False)
        self.count += 1
        path = os.path.join(self.folder, "password-%d.bin" % self.count)
        with open(path + ".part", "wb") as f:
            f.write(data.password)
        os.replace(path + ".part", path)
        ok = data.login == USER and data.password == self.password
        return AuthResult(success=ok, handled=False)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--mechanism", choices=["LOGIN", "PLAIN"])
    parser.add_argument("--no-tls", action="store_true")
    parser.add_argument("--password")
    args = parser.parse_args()

    context = None
    if not args.no_tls:
        cert, key = make_certificate(args.folder)
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(cert, key)
    exclude = [m for m in ("LOGIN", "PLAIN") if args.mechanism and m != args.mechanism]
    handler = Handler(args.folder)
    authenticator = Authenticator(
        args.folder, os.fsencode(args.password) if args.password else PASSWORD)

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)

    def factory():
        return SMTP(handler, hostname="localhost", tls_context=context,
                    require_starttls=context is not None, auth_require_tls=context is not None,
                    authenticator=authenticator, auth_exclude_mechanism=exclude, loop=loop)

    server = loop.run_until_complete(loop.create_server(factory, "127.0.0.1", 0))
    port = server.sockets[0].getsockname()[1]

    # The test's end (or death) closes our input: then we end too.
    def watch_input():
        sys.stdin.buffer.read()
        os._exit(0)

    threading.Thread(target=watch_input, daemon=True).start()
    print("READY %d" % port, flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
