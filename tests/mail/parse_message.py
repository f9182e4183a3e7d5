#!/usr/bin/env python3
"""Reads a mail file with Python's standard parser and prints what it found, for the mail tests:

    to=<To>  subject=<Subject, decoded>  charset=<body charset>  encoding=<transfer encoding>
    crlf=ok|bad  (every line of the file ends in CR LF)
    body:
    <the decoded body, lines ending in LF>
"""
import email
import email.policy
import sys

data = open(sys.argv[1], "rb").read()
message = email.message_from_bytes(data, policy=email.policy.default)
lines_ok = data.endswith(b"\r\n") and data.count(b"\n") == data.count(b"\r\n") \
    and data.count(b"\r") == data.count(b"\r\n")
out = sys.stdout
out.reconfigure(encoding="utf-8", newline="\n")
out.write("to=%s\n" % message["To"])
out.write("subject=%s\n" % message["Subject"])
out.write("charset=%s\n" % message.get_content_charset())
out.write("encoding=%s\n" % message["Content-Transfer-Encoding"])
out.write("defects=%d\n" % len(message.defects))
out.write("crlf=%s\n" % ("ok" if lines_ok else "bad"))
out.write("body:\n")
out.write(message.get_content().replace("\r\n", "\n"))
