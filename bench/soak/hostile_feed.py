#!/usr/bin/env python3
"""Feeds a pseudo-terminal with what a broken or hostile receiver may send.

Prints the slave's path on its first line, then runs through its scenes, a
few seconds each, until it is killed:
  short-lines   hundreds of short lines, then a whole epoch in one write
                (new lines push nearly every line out of the raw box at once)
  no-fix        no-fix sentences at 4800 bps, then fix sentences
  fast-gnss     a multi-system receiver at 115200 bps and ten epochs a second
  endless-gsv   a GSV sequence that never ends, a new satellite per message
  garbage       numbers beyond a double, NaN, signs and fractions everywhere
  noise         binary noise, NUL bytes, lone CR and LF, a line of 5000
                bytes without an end, sentences split over many writes
The scenes are drawn by a seeded generator, so a run can be repeated.

usage: hostile_feed.py [SEED]
"""
import functools
import os
import random
import sys
import time
import tty


def sentence(body):
    checksum = functools.reduce(lambda a, c: a ^ ord(c), body, 0)
    return ("$%s*%02X\r\n" % (body, checksum)).encode("latin-1")


def epoch(rng, fix=True):
    """A multi-system epoch in NMEA 4.10, 20 to 35 satellites."""
    t = time.gmtime()
    hms = "%02d%02d%02d.%02d" % (t.tm_hour, t.tm_min, t.tm_sec, rng.randrange(100))
    date = "%02d%02d%02d" % (t.tm_mday, t.tm_mon, t.tm_year % 100)
    out = [
        sentence("GNRMC,%s,%s,4717.%05d,N,00833.%05d,E,0.%03d,77.52,%s,,,A,V"
                 % (hms, "A" if fix else "V", rng.randrange(99999), rng.randrange(99999), rng.randrange(999), date)),
        sentence("GNGGA,%s,4717.11437,N,00833.91522,E,%d,12,0.9,%d.%d,M,48.0,M,,"
                 % (hms, 1 if fix else 0, rng.randrange(1000), rng.randrange(10))),
    ]
    systems = [("GP", 1, range(1, 33)), ("GL", 2, range(65, 97)), ("GA", 3, range(1, 37)), ("GB", 4, range(1, 64))]
    for talker, system_id, prns in systems:
        used = rng.sample(list(prns), 4)
        out.append(sentence("GNGSA,A,%d,%s,,,,,,,,,1.5,0.9,1.2,%d"
                            % (3 if fix else 1, ",".join("%02d" % p for p in used), system_id)))
    for talker, _, prns in systems:
        seen = rng.sample(list(prns), rng.randrange(5, 10))
        messages = (len(seen) + 3) // 4
        for m in range(messages):
            blocks = ",".join("%02d,%02d,%03d,%02d" % (p, rng.randrange(90), rng.randrange(360), rng.randrange(50))
                              for p in seen[4 * m:4 * m + 4])
            out.append(sentence("%sGSV,%d,%d,%02d,%s,1" % (talker, messages, m + 1, len(seen), blocks)))
    return b"".join(out)


class Feed:
    def __init__(self, master):
        self.master = master

    def write(self, data):
        """Writes what the terminal takes; a full terminal loses the rest, as a serial line does."""
        try:
            os.write(self.master, data)
        except (BlockingIOError, OSError):
            pass
        try:
            os.read(self.master, 4096)  # whatever the program writes
        except (BlockingIOError, OSError):
            pass

    def paced(self, data, bps):
        """Writes at a line's speed, in 50 ms pieces."""
        piece = max(1, bps // 10 // 20)
        for i in range(0, len(data), piece):
            self.write(data[i:i + piece])
            time.sleep(0.05)


def short_lines(feed, rng):
    feed.write(b"OK\r\n" * rng.randrange(200, 400))
    time.sleep(1.5)
    feed.write(epoch(rng)[:989 + rng.randrange(200)])
    time.sleep(1.0)


def no_fix(feed, rng):
    for _ in range(3):
        feed.paced(sentence("GPRMC,,V,,,,,,,,,,N") + sentence("GPGSA,A,1,,,,,,,,,,,,,,,") +
                   sentence("GPGSV,1,1,00"), 4800)
    for _ in range(3):
        feed.paced(epoch(rng), 115200)


def fast_gnss(feed, rng):
    for _ in range(50):
        feed.write(epoch(rng))
        time.sleep(0.1)


def endless_gsv(feed, rng):
    for n in range(1, 2000):
        feed.write(sentence("GPGSV,2147483647,%d,2147483647,%02d,45,180,40"
                            % (rng.randrange(1, 2147483647), n % 99 + 1)))
        if n % 100 == 0:
            time.sleep(0.1)


def garbage(feed, rng):
    numbers = ["1e999", "-1e999", "nan", "inf", "1e308", "-0", "99999999999999999999", ".", "-", "1e-400", "+"]
    for _ in range(200):
        n = lambda: rng.choice(numbers)
        feed.write(rng.choice([
            sentence("GNRMC,%s,A,%s,N,%s,W,%s,%s,%s,,,A" % (n(), n(), n(), n(), n(), n())),
            sentence("GNGGA,%s,%s,N,%s,E,1,%s,%s,%s,M,,,," % (n(), n(), n(), n(), n(), n())),
            sentence("GNGSA,A,%s,%s,%s,,,,,,,,,,%s,%s,%s,%s" % (n(), n(), n(), n(), n(), n(), n())),
            sentence("GLGSV,%s,%s,%s,%s,%s,%s,%s" % (n(), n(), n(), n(), n(), n(), n())),
        ]))
        time.sleep(0.01)


def noise(feed, rng):
    for _ in range(20):
        feed.write(bytes(rng.randrange(256) for _ in range(rng.randrange(1, 600))))
        feed.write(b"\x00" * rng.randrange(10) + b"\r" + b"$GPGGA" + b"\n" + b"\r\r\n\n")
        time.sleep(0.05)
    feed.write(b"$" + b"A" * 5000)
    whole = epoch(rng)
    for i in range(0, len(whole), 7):
        feed.write(whole[i:i + 7])
        time.sleep(0.01)


SCENES = [short_lines, no_fix, fast_gnss, endless_gsv, garbage, noise]


def main():
    rng = random.Random(int(sys.argv[1]) if len(sys.argv) > 1 else 21)
    master, slave = os.openpty()
    tty.setraw(slave)
    print(os.ttyname(slave), flush=True)
    os.set_blocking(master, False)
    feed = Feed(master)
    while True:
        scene = rng.choice(SCENES)
        print(scene.__name__, flush=True)
        scene(feed, rng)


if __name__ == "__main__":
    main()
