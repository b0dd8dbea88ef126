"""How a test server tells the test its port: in a file, written whole under another name and
then renamed, so that the test never reads half of it. A file works where a pipe does not: for a
Windows test program under wine, which cannot read the standard output of a program it starts."""
import argparse
import os


def add_argument(parser: argparse.ArgumentParser) -> None:
    parser.add_argument("--port-file", required=True)


def announce(port: int, path: str) -> None:
    with open(path + ".tmp", "w", encoding="ascii") as out:
        out.write(f"{port}\n")
    os.replace(path + ".tmp", path)
