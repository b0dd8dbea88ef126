#!/usr/bin/python3
"""Starts the host programs (test servers, openssl, encoders) that Windows test programs under
wine ask for, outside wine: wine gives a Windows program no handle on a Linux program it starts,
so it could neither wait for it nor stop it.

A request is a file NAME.run in --folder holding the words of the command, one per line, written
under another name and renamed. The broker starts it; when the program ends it writes its exit
status to NAME.exit the same way. A file NAME.stop asks it to end the program: SIGTERM, then
SIGKILL after 5 s. Every program still running is stopped when the broker ends (SIGTERM or
SIGINT)."""
import argparse
import os
import signal
import subprocess
import sys
import time

parser = argparse.ArgumentParser()
parser.add_argument("--folder", required=True)
options = parser.parse_args()

running = {}  # name -> Popen
stopping = {}  # name -> time SIGTERM was sent


def write_whole(path, text):
    with open(path + ".tmp", "w", encoding="utf-8") as out:
        out.write(text)
    os.replace(path + ".tmp", path)


def start(name):
    path = os.path.join(options.folder, name + ".run")
    with open(path, encoding="utf-8") as request:
        words = request.read().split("\n")[:-1]
    os.remove(path)
    try:
        running[name] = subprocess.Popen(words, stdin=subprocess.DEVNULL)
    except OSError as error:
        print(f"host_broker: {words[0]}: {error}", file=sys.stderr)
        write_whole(os.path.join(options.folder, name + ".exit"), "127\n")


def finish(name, status):
    del running[name]
    stopping.pop(name, None)
    write_whole(os.path.join(options.folder, name + ".exit"), f"{status}\n")


def end(*_):
    for process in running.values():
        process.terminate()
    deadline = time.monotonic() + 5
    for process in running.values():
        try:
            process.wait(max(0.0, deadline - time.monotonic()))
        except subprocess.TimeoutExpired:
            process.kill()
    sys.exit(0)


signal.signal(signal.SIGTERM, end)
signal.signal(signal.SIGINT, end)
os.makedirs(options.folder, exist_ok=True)
while True:
    for entry in sorted(os.listdir(options.folder)):
        name, kind = os.path.splitext(entry)
        if kind == ".run":
            start(name)
        elif kind == ".stop" and name in running and name not in stopping:
            os.remove(os.path.join(options.folder, entry))
            running[name].terminate()
            stopping[name] = time.monotonic()
    for name, process in list(running.items()):
        status = process.poll()
        if status is not None:
            finish(name, status if status >= 0 else 128 - status)
        elif name in stopping and time.monotonic() - stopping[name] > 5:
            process.kill()
    time.sleep(0.02)
