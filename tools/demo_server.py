"""The demo's web server: serves a folder on 127.0.0.1 only, on a free port,
and ends by itself after a bounded time.

Usage: demo_server.py FOLDER SECONDS PORTFILE
Writes the chosen port into PORTFILE once it listens.
"""
import functools
import http.server
import os
import sys
import threading


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".swf": "application/x-shockwave-flash"}

    def log_message(self, fmt, *args):
        sys.stderr.write("demo server: " + (fmt % args) + "\n")


def main():
    folder, seconds, port_file = sys.argv[1], float(sys.argv[2]), sys.argv[3]
    handler = functools.partial(QuietHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Timer(seconds, server.shutdown).start()
    tmp = port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, port_file)
    server.serve_forever()
    server.server_close()


if __name__ == "__main__":
    main()
