#!/usr/bin/env python3
"""An SMTP server on the loopback that fails the way a real one may, for the mail tests.

    broken_smtp_server.py <folder> <behaviour> [<bytes>] [--small-window]

Speaks plain SMTP (no TLS, no login) on a free port of 127.0.0.1 and fails as <behaviour> says:

    silent-after-data  takes the whole message and never answers its final "."
    close-after-data   takes the whole message and closes the connection without an answer
    close-after-354    answers DATA with 354, then closes the connection
    close-in-body      reads <bytes> of the message and closes the connection with the rest
                       unread, so that the system resets it (a server that dies mid-message)
    reset-after-dot    reads the whole message with its final ".", has its system acknowledge
                       all of it, and resets the connection instead of answering
    half-close-in-body reads <bytes> of the message, closes its side of the connection (an
                       orderly close: the client may still send) and reads nothing more
    half-close-then-read  the same, but it goes on reading until the client goes
    refuse-starttls    offers STARTTLS and refuses it with 454
    deaf-after-354     answers DATA with 354, then reads nothing more and never answers
    close-at-rcpt      closes the connection when it is given a recipient
    refuse-data        takes the whole message and refuses it with 554

With --small-window the server's receive buffer is as small as the system allows, so the
client cannot get far ahead of what the server reads. It prints "READY <port>" when it listens,
"GOT-DATA" each time it has a whole message and "GOT-BODY <n>" when it closes in the body or
half-closes; it ends when its standard input ends, so it never outlives the test that started
it.
"""
import select
import socket
import struct
import sys
import threading


def serve(conn, reader, behaviour, count):
    """Speaks until the connection is to go; True when it is to go without a goodbye."""
    def say(line):
        conn.sendall(line.encode() + b"\r\n")

    say("220 localhost broken test server")
    while True:
        line = reader.readline()
        if not line:
            return
        word = line.split(b" ")[0].split(b":")[0].strip().upper()
        if word in (b"EHLO", b"HELO"):
            say("250-localhost\r\n250 STARTTLS" if behaviour == "refuse-starttls" else "250 localhost")
        elif word == b"STARTTLS":
            say("454 4.7.0 TLS not available due to temporary reason")
        elif word == b"MAIL":
            say("250 OK")
        elif word == b"RCPT":
            if behaviour == "close-at-rcpt":
                return
            say("250 OK")
        elif word == b"DATA":
            say("354 go ahead")
            if behaviour == "close-after-354":
                return
            if behaviour == "deaf-after-354":
                while True:
                    select.select([], [], [])
            if behaviour in ("half-close-in-body", "half-close-then-read"):
                got = len(conn.recv(count, socket.MSG_WAITALL))
                conn.shutdown(socket.SHUT_WR)
                print("GOT-BODY %d" % got, flush=True)
                while behaviour == "half-close-then-read" and conn.recv(1 << 20):
                    pass
                while behaviour == "half-close-in-body":
                    select.select([], [], [])
                return True
            if behaviour == "close-in-body":
                # Straight from the socket: the reader must not take more than `count` bytes.
                got = 0
                while got < count:
                    chunk = conn.recv(count - got)
                    if not chunk:
                        break
                    got += len(chunk)
                print("GOT-BODY %d" % got, flush=True)
                return True
            while reader.readline() not in (b".\r\n", b".\n", b""):
                pass
            print("GOT-DATA", flush=True)
            if behaviour == "reset-after-dot":
                # Whatever acknowledgement its system still holds back goes now, before the
                # reset, as it would go with an answer.
                conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_QUICKACK, 1)
                conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                return True
            if behaviour == "silent-after-data":
                reader.read()  # until the client goes
                return
            if behaviour == "close-after-data":
                return
            say("554 5.7.1 Message refused")
        elif word == b"QUIT":
            say("221 bye")
            return
        else:
            say("502 not implemented")


def main():
    args = [a for a in sys.argv[2:] if a != "--small-window"]
    behaviour = args[0]  # the folder (argv[1]) is not used
    count = int(args[1]) if len(args) > 1 else 0
    listener = socket.socket()
    if "--small-window" in sys.argv:
        # Set before listening, so that the connections start with it.
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen()

    def accept():
        while True:
            conn, _ = listener.accept()

            def run(conn=conn):
                reader = conn.makefile("rb")
                abort = False
                try:
                    abort = serve(conn, reader, behaviour, count)
                except OSError:
                    pass
                finally:
                    # The file keeps the socket open until it is closed as well. A shutdown
                    # would say goodbye before the reset that unread bytes bring at the close.
                    reader.close()
                    if not abort:
                        try:
                            conn.shutdown(socket.SHUT_RDWR)
                        except OSError:
                            pass
                    conn.close()

            threading.Thread(target=run, daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    print("READY %d" % listener.getsockname()[1], flush=True)
    sys.stdin.buffer.read()


if __name__ == "__main__":
    main()
