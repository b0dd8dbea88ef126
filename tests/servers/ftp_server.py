#!/usr/bin/python3
"""FTP server for the tests (pyftpdlib), on 127.0.0.1 and a free port written to --port-file.
One account, --user / --password, whose home is --home. Each control connection opened is
appended to --log as one line, so that tests can count them."""
import argparse
import logging

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

import port_file

parser = argparse.ArgumentParser()
parser.add_argument("--user", required=True)
parser.add_argument("--password", required=True)
parser.add_argument("--home", required=True)
parser.add_argument("--log", required=True)
port_file.add_argument(parser)
options = parser.parse_args()

logging.basicConfig(level=logging.ERROR)
authorizer = DummyAuthorizer()
authorizer.add_user(options.user, options.password, options.home, perm="elradfmwMT")


class CountingHandler(FTPHandler):
    def on_connect(self):
        with open(options.log, "a", encoding="utf-8") as log:
            log.write("connexion\n")


handler = CountingHandler
handler.authorizer = authorizer
handler.auth_failed_timeout = 0  # refuse a wrong password at once
server = FTPServer(("127.0.0.1", 0), handler)
port_file.announce(server.socket.getsockname()[1], options.port_file)
server.serve_forever()
