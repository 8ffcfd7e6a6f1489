#!/usr/bin/env python3
"""Status pages for the TLS tests, each server on 127.0.0.1 and a free port:
one HTTPS server per certificate made by make-certs.sh, answering every GET
with a status page listing 7 players; "downgrade", with the good
certificate, which moves the page to "plain", a plain HTTP server with the
same page. Writes "NAME PORT" lines to FOLDER/ports, then serves until
killed."""
import os
import socket
import ssl
import sys
import threading

PAGE = (b"<html><table><tr><td><font face=Verdana>Drevak&nbsp;Wing</font></td>"
        b"<td><font face=Verdana>7</font></td></tr></table></html>")
PAGE_ANSWER = (b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n"
               b"Content-Length: %d\r\n\r\n" % len(PAGE) + PAGE)
MOVED_ANSWER = (b"HTTP/1.1 301 Moved Permanently\r\nLocation: http://localhost:%d/status\r\n"
                b"Connection: close\r\nContent-Length: 0\r\n\r\n")
CERTIFICATES = ["good", "untrusted", "expired", "wrongname", "nointermediate"]


def answer(listener, context, reply):
    while True:
        client, _ = listener.accept()
        try:
            with (context.wrap_socket(client, server_side=True) if context else client) as peer:
                peer.settimeout(10)
                request = b""
                while b"\r\n\r\n" not in request:
                    chunk = peer.recv(4096)
                    if not chunk:
                        break
                    request += chunk
                peer.sendall(reply)
        except (OSError, ssl.SSLError):
            pass  # the client gave up on the certificate: that is the point of most servers here


def serve(name, certificate, reply, lines):
    context = None
    if certificate:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(f"{sys.argv[1]}/{certificate}.pem", f"{sys.argv[1]}/{certificate}.key")
    listener = socket.create_server(("127.0.0.1", 0))
    port = listener.getsockname()[1]
    lines.append(f"{name} {port}\n")
    threading.Thread(target=answer, args=(listener, context, reply), daemon=True).start()
    return port


def main():
    folder = sys.argv[1]
    lines = []
    for name in CERTIFICATES:
        serve(name, name, PAGE_ANSWER, lines)
    plain = serve("plain", None, PAGE_ANSWER, lines)
    serve("downgrade", "good", MOVED_ANSWER % plain, lines)
    with open(f"{folder}/ports.tmp", "w") as out:
        out.writelines(lines)
    os.replace(f"{folder}/ports.tmp", f"{folder}/ports")
    threading.Event().wait()


if __name__ == "__main__":
    main()
