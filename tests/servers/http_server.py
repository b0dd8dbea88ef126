#!/usr/bin/python3
"""HTTP server for the tests, on 127.0.0.1 and a free port, which it writes to --port-file.

Serves the files of --root, plus:
  /monmail.php          without a query: the one-time code; with one: --mail-result
  /slow?s=SECONDS       answers after that many seconds
  /redirect?to=PATH     a 302 redirect to PATH
  /huge?n=BYTES         a body of that many bytes
Every request line's path is appended to --log before the answer is sent. With --cert and
--key it speaks HTTPS.
"""
import argparse
import functools
import http.server
import ssl
import time
import urllib.parse

import port_file


class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def answer(self, body, status=200):
        data = body.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        with open(options.log, "a", encoding="utf-8") as log:
            log.write(self.path + "\n")
        url = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(url.query))
        if url.path == "/monmail.php":
            return self.answer(options.mail_result if url.query else options.code)
        if url.path == "/slow":
            time.sleep(float(query.get("s", "10")))
            return self.answer("lent")
        if url.path == "/redirect":
            self.send_response(302)
            self.send_header("Location", query["to"])
            self.end_headers()
            return None
        if url.path == "/huge":
            size = int(query.get("n", "0"))
            self.send_response(200)
            self.send_header("Content-Length", str(size))
            self.end_headers()
            chunk = b"x" * 65536
            while size > 0:
                self.wfile.write(chunk[:size])
                size -= len(chunk)
            return None
        return super().do_GET()


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # clients that give up early are part of the tests


parser = argparse.ArgumentParser()
parser.add_argument("--root", required=True)
parser.add_argument("--log", required=True)
parser.add_argument("--code", default="4711")
parser.add_argument("--mail-result", default="1")
parser.add_argument("--cert")
parser.add_argument("--key")
port_file.add_argument(parser)
options = parser.parse_args()

server = Server(("127.0.0.1", 0), functools.partial(Handler, directory=options.root))
if options.cert:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(options.cert, options.key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
port_file.announce(server.server_address[1], options.port_file)
server.serve_forever()
