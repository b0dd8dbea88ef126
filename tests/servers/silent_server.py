"""A server on 127.0.0.1 that takes every connection and never answers: a dead server whose
machine is still up. The system completes each connection in the listening queue; nothing ever
reads or writes, until the test ends the process."""
import argparse
import socket
import threading

import port_file

parser = argparse.ArgumentParser()
port_file.add_argument(parser)
options = parser.parse_args()

listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.bind(("127.0.0.1", 0))
listener.listen(64)
port_file.announce(listener.getsockname()[1], options.port_file)
threading.Event().wait()
