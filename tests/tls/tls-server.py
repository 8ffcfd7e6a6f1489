#!/usr/bin/env python3
"""HTTPS status pages for the TLS tests: one server on 127.0.0.1 per
certificate made by make-certs.sh, each on a free port, answering every GET
with a status page listing 7 players. Writes "NAME PORT" lines to
FOLDER/ports, then serves until killed."""
import socket
import ssl
import sys
import threading

PAGE = (b"<html><table><tr><td><font face=Verdana>Drevak&nbsp;Wing</font></td>"
        b"<td><font face=Verdana>7</font></td></tr></table></html>")
NAMES = ["good", "untrusted", "expired", "wrongname"]


def answer(listener, context):
    while True:
        client, _ = listener.accept()
        try:
            with context.wrap_socket(client, server_side=True) as tls:
                tls.settimeout(10)
                request = b""
                while b"\r\n\r\n" not in request:
                    chunk = tls.recv(4096)
                    if not chunk:
                        break
                    request += chunk
                tls.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n"
                            b"Content-Length: %d\r\n\r\n" % len(PAGE) + PAGE)
        except (OSError, ssl.SSLError):
            pass  # the client gave up on the certificate: that is the point of most servers here


def main():
    folder = sys.argv[1]
    lines = []
    for name in NAMES:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(f"{folder}/{name}.pem", f"{folder}/{name}.key")
        listener = socket.create_server(("127.0.0.1", 0))
        lines.append(f"{name} {listener.getsockname()[1]}\n")
        threading.Thread(target=answer, args=(listener, context), daemon=True).start()
    with open(f"{folder}/ports.tmp", "w") as out:
        out.writelines(lines)
    import os
    os.replace(f"{folder}/ports.tmp", f"{folder}/ports")
    threading.Event().wait()


if __name__ == "__main__":
    main()
