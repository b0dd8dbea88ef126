#!/usr/bin/python3
"""SMTP server for the tests (aiosmtpd), on 127.0.0.1 and a free port printed on its first line.

Each message received is appended to --log as one JSON line: the envelope sender, the envelope
recipients, the message text and the login used (null without authentication). With --cert and
--key it speaks SMTPS (TLS from the first byte), or, adding --starttls, plain SMTP that must be
upgraded with STARTTLS before a message is taken. With --user / --password it offers
authentication and accepts only that account. With --storable-port its port is below 32768,
where the agenda's settings can keep it.
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


def free_port(below_32768):
    """A free port; below 32768 when asked, since a port in the agenda's settings takes 16 signed
    bits, while the system's own choice lies above."""
    candidates = random.sample(range(20000, 32768), 200) if below_32768 else [0]
    for candidate in candidates:
        with socket.socket() as probe:
            try:
                probe.bind(("127.0.0.1", candidate))
            except OSError:
                continue
            return probe.getsockname()[1]
    raise SystemExit("no free port")


parser = argparse.ArgumentParser()
parser.add_argument("--log", required=True)
parser.add_argument("--cert")
parser.add_argument("--key")
parser.add_argument("--starttls", action="store_true")
parser.add_argument("--user")
parser.add_argument("--password")
parser.add_argument("--storable-port", action="store_true")
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
controller = Controller(Recorder(), hostname="127.0.0.1", port=free_port(options.storable_port),
                        **settings)
controller.start()
print(controller.port, flush=True)
threading.Event().wait()  # until the test ends the process
