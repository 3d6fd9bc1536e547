#!/usr/bin/python3
"""Runs a program on a pseudo-terminal, as a user's terminal runs it, and keeps what the terminal got.

    terminal_run.py OUT COMMAND [ARGS...]

Standard output and error both go to the terminal; its bytes land in OUT, and the program's exit code is
this script's.
"""
import os
import pty
import sys


def main():
    out_path, command = sys.argv[1], sys.argv[2:]
    received = bytearray()

    pid, fd = pty.fork()
    if pid == 0:
        os.execvp(command[0], command)
    while True:
        try:
            data = os.read(fd, 4096)
        except OSError:
            break
        if not data:
            break
        received.extend(data)
    _, status = os.waitpid(pid, 0)
    with open(out_path, "wb") as f:
        # A terminal's line discipline turns each line feed into a carriage return and a line feed.
        f.write(bytes(received).replace(b"\r\n", b"\n"))
    sys.exit(os.waitstatus_to_exitcode(status))


if __name__ == "__main__":
    main()
