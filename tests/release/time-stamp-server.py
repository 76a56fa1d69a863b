#!/usr/bin/env python3
"""time-stamp-server.py CONFIG: an RFC 3161 time-stamp authority on 127.0.0.1 for one test.

Answers each query POSTed to its first port with `openssl ts -reply -config CONFIG`; its
second port accepts connections and never answers. Prints the two ports on one line, then
serves until it is ended or the process that started it ends.
"""
import http.server
import os
import socket
import subprocess
import sys
import threading
import time

config = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        reply = subprocess.run(
            ["openssl", "ts", "-reply", "-config", config,
             "-queryfile", "/dev/stdin", "-out", "/dev/stdout"],
            input=query, capture_output=True)
        if reply.returncode != 0:
            sys.stderr.write(reply.stderr.decode(errors="replace"))
            self.send_error(500)
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply.stdout)))
        self.end_headers()
        self.wfile.write(reply.stdout)

    def log_message(self, *args):
        pass


def end_with_parent(parent):
    while os.getppid() == parent:
        time.sleep(1)
    os._exit(0)


# One query at a time: the replies share the authority's serial-number file.
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
silent = socket.socket()
silent.bind(("127.0.0.1", 0))
silent.listen()
threading.Thread(target=end_with_parent, args=(os.getppid(),), daemon=True).start()
print(server.server_address[1], silent.getsockname()[1], flush=True)
server.serve_forever()
