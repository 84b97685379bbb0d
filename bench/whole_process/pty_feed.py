#!/usr/bin/env python3
"""Feeds a pseudo-terminal with NMEA epochs at a given rate.

The epochs come from a capture of zelmora-receiver's output (one epoch starts
at each GGA sentence). Prints the slave's path on its first line, then writes
one epoch every 1/RATE seconds until it is killed.

usage: pty_feed.py CAPTURE RATE_HZ
"""
import os
import sys
import time
import tty


def epochs(capture):
    lines = [line + b"\r\n" for line in capture.split(b"\r\n") if line.startswith(b"$")]
    groups, current = [], []
    for line in lines:
        if line[3:6] == b"GGA" and current:
            groups.append(b"".join(current))
            current = []
        current.append(line)
    if current:
        groups.append(b"".join(current))
    return groups


def main():
    with open(sys.argv[1], "rb") as f:
        groups = epochs(f.read())
    if not groups:
        sys.exit("pty_feed: no sentences in " + sys.argv[1])
    period = 1.0 / float(sys.argv[2])
    master, slave = os.openpty()
    tty.setraw(slave)
    print(os.ttyname(slave), flush=True)
    os.set_blocking(master, False)
    start = time.monotonic()
    n = 0
    while True:
        try:
            os.write(master, groups[n % len(groups)])
        except BlockingIOError:
            pass  # nobody reads: the bytes are lost, as on a serial line
        try:
            os.read(master, 4096)  # whatever the program writes
        except (BlockingIOError, OSError):
            pass
        n += 1
        time.sleep(max(0.0, start + n * period - time.monotonic()))


if __name__ == "__main__":
    main()
