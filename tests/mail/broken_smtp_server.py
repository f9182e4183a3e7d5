#!/usr/bin/env python3
"""An SMTP server on the loopback that fails the way a real one may, for the mail tests.

    broken_smtp_server.py <folder> <behaviour> [<bytes>]

Speaks plain SMTP (no TLS, no login) on a free port of 127.0.0.1 and fails as <behaviour> says:

    silent-after-data  takes the whole message and never answers its final "."
    close-after-data   takes the whole message and closes the connection without an answer
    close-after-354    answers DATA with 354, then closes the connection
    close-in-body      reads <bytes> of the message and closes the connection with the rest
                       unread, so that the system resets it (a server that dies mid-message)
    reset-after-body   the same, but it waits until the rest of the message and its final "."
                       have arrived (unread) before it closes
    deaf-after-354     answers DATA with 354, then reads nothing more and never answers
    close-at-rcpt      closes the connection when it is given a recipient
    refuse-data        takes the whole message and refuses it with 554

It prints "READY <port>" when it listens, "GOT-DATA" each time it has a whole message and
"GOT-BODY <n>" when it closes in the body; it ends when its standard input ends, so it never
outlives the test that started it.
"""
import select
import socket
import sys
import threading


def wait_for_end_unread(conn):
    """Waits until the message's final "." is in the socket's queue, reading nothing."""
    while True:
        queued = conn.recv(1 << 22, socket.MSG_PEEK)
        if not queued or queued.endswith(b"\r\n.\r\n"):
            return
        # Readable again once more than this has arrived.
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_RCVLOWAT, len(queued) + 1)
        select.select([conn], [], [])


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
            say("250 localhost")
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
            if behaviour in ("close-in-body", "reset-after-body"):
                # Straight from the socket: the reader must not take more than `count` bytes.
                got = 0
                while got < count:
                    chunk = conn.recv(count - got)
                    if not chunk:
                        break
                    got += len(chunk)
                if behaviour == "reset-after-body":
                    wait_for_end_unread(conn)
                print("GOT-BODY %d" % got, flush=True)
                return True
            while reader.readline() not in (b".\r\n", b".\n", b""):
                pass
            print("GOT-DATA", flush=True)
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
    behaviour = sys.argv[2]  # the folder (argv[1]) is not used
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    listener = socket.socket()
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
