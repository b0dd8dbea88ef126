#!/usr/bin/python3
"""SMTP server for the tests (aiosmtpd), on 127.0.0.1 and a free port written to --port-file.

Each message received is appended to --log as one JSON line: the envelope sender, the envelope
recipients, the message text and the login used (null without authentication). With --cert and
--key it speaks SMTPS (TLS from the first byte), or, adding --starttls, plain SMTP that must be
upgraded with STARTTLS before a message is taken. With --user / --password it offers
authentication and accepts only that account. With --low-port the port is below 10000, as a
planning file can keep it.
"""
import argparse
import json
import random
import socket
import ssl
import threading
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

import port_file


class Recorder:
    async def handle_DATA(self, server, session, envelope):
        login = None
        if session.authenticated and isinstance(session.auth_data, LoginPassword):
            login = session.auth_data.login.decode("utf-8")
        record = {
            "from": envelope.mail_from,
            "to": envelope.rcpt_tos,
            "text": envelope.content.decode("utf-8", "replace"),
            "login": login,
        }
        with open(options.log, "a", encoding="utf-8") as log:
            log.write(json.dumps(record) + "\n")
        return "250 OK"


def authenticate(server, session, envelope, mechanism, auth_data):
    accepted = (isinstance(auth_data, LoginPassword)
                and auth_data.login.decode("utf-8") == options.user
                and auth_data.password.decode("utf-8") == options.password)
    return AuthResult(success=accepted, auth_data=auth_data if accepted else None)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def free_low_port():
    """A free port below 10000: planning files keep the port in 16 bits, typed in 4 digits."""
    for port in random.sample(range(2000, 10000), 8000):
        with socket.socket() as probe:
            try:
                probe.bind(("127.0.0.1", port))
            except OSError:
                continue
            return port
    raise RuntimeError("no free port below 10000")


parser = argparse.ArgumentParser()
parser.add_argument("--log", required=True)
parser.add_argument("--cert")
parser.add_argument("--key")
parser.add_argument("--starttls", action="store_true")
parser.add_argument("--user")
parser.add_argument("--password")
parser.add_argument("--low-port", action="store_true")
port_file.add_argument(parser)
options = parser.parse_args()

warnings.simplefilter("ignore")
settings = {}
if options.cert:
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(options.cert, options.key)
    if options.starttls:
        settings["tls_context"] = context
        settings["require_starttls"] = True
    else:
        settings["ssl_context"] = context
if options.user:
    settings["authenticator"] = authenticate
    settings["auth_require_tls"] = False
port = free_low_port() if options.low_port else free_port()
controller = Controller(Recorder(), hostname="127.0.0.1", port=port, **settings)
controller.start()
port_file.announce(controller.port, options.port_file)
threading.Event().wait()  # until the test ends the process
