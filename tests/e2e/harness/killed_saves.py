#!/usr/bin/python3
"""The program killed (SIGKILL) in the middle of a Save, many times: "Kelvor.dat" and "Kelvor.txt" must
each be whole afterwards, the old file or the new one, never a part of either.

Each trial starts the program in a folder holding the old results file, reads it (Chart > read), presses
"save" and kills the program at a moment of the save: when the report's or the results file's new
content has begun to be written beside it (its temporary file appears), a little after that, or at a
random moment around the whole save."""

import argparse
import os
import random
import signal
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from environment import Desktop  # noqa: E402
from program import Fail, RunningProgram  # noqa: E402

# What the program saves after reading OLD: the same results, without the line it ignores.
NEW = b"(; la; 1000; 25; ); \r\n(; la;  500; 10; ); \r\n(; ra; 2000; 15; ); \r\n"
OLD = NEW + b"(; xx; 1000; 10; ); \r\n"


def temporary(name, work):
    return [n for n in os.listdir(work) if n.startswith("." + name + ".")]


def signature(path):
    try:
        st = os.stat(path)
        return st.st_ino, st.st_size, st.st_mtime_ns
    except FileNotFoundError:
        return None


def trial(args, desktop, work, number, moment, report):
    dat = os.path.join(work, "Kelvor.dat")
    with open(dat, "wb") as f:
        f.write(OLD)
    program = RunningProgram(desktop, args.binary, work, log_name="kelvor-%d.log" % number)
    try:
        program.press_menu("Chart", "read")
        program.press_control("speichern")
        pressed = time.monotonic()
        deadline = pressed + 5
        if moment == "random":
            until = pressed + random.uniform(0.0, 0.4)
            while time.monotonic() < until:
                pass
        else:
            # The first sign of the file being written: its temporary file beside it, or the file
            # itself changing (replaced, or written where it lies).
            watched = "Kelvor.txt" if moment == "report" else "Kelvor.dat"
            path = os.path.join(work, watched)
            before = signature(path)
            while time.monotonic() < deadline:
                if temporary(watched, work) or signature(path) != before:
                    break
            if moment == "later":
                until = time.monotonic() + random.uniform(0.0, 0.004)
                while time.monotonic() < until:
                    pass
        mid_save = bool(temporary("Kelvor.dat", work) or temporary("Kelvor.txt", work))
        program.process.send_signal(signal.SIGKILL)
        program.process.wait()
    finally:
        program.kill()
    saved = open(dat, "rb").read()
    if saved not in (OLD, NEW):
        raise Fail("trial %d (%s): Kelvor.dat is neither the old file nor the new one: %r" % (number, moment, saved))
    txt = os.path.join(work, "Kelvor.txt")
    if report is not None and open(txt, "rb").read() != report:
        raise Fail("trial %d (%s): Kelvor.txt is not whole: %r" % (number, moment, open(txt, "rb").read()))
    left = temporary("Kelvor.dat", work) + temporary("Kelvor.txt", work)
    for name in left:
        os.unlink(os.path.join(work, name))
    return saved == NEW, mid_save, len(left)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--trials", type=int, default=200)
    parser.add_argument("--seed", type=int, default=None)
    args = parser.parse_args()
    args.binary = os.path.abspath(args.binary)
    seed = args.seed if args.seed is not None else int(time.time())
    random.seed(seed)
    print("killed saves: %d trials, seed %d" % (args.trials, seed))
    with Desktop(sound=False) as desktop:
        work = os.path.join(desktop.folder, "work")
        os.makedirs(work)
        # One save left alone: the report it writes is what every later save writes too.
        with open(os.path.join(work, "Kelvor.dat"), "wb") as f:
            f.write(OLD)
        program = RunningProgram(desktop, args.binary, work, log_name="kelvor-reference.log")
        program.press_menu("Chart", "read")
        program.press_control("speichern")
        dat = os.path.join(work, "Kelvor.dat")
        if not program.wait(10, lambda: open(dat, "rb").read() == NEW):
            raise Fail("the save without a kill did not write the results: %r" % open(dat, "rb").read())
        program.no_box()
        if program.exit() != 0:
            raise Fail("the program did not end normally")
        report = open(os.path.join(work, "Kelvor.txt"), "rb").read()

        counts = {}
        left_total = 0
        t0 = time.monotonic()
        for number in range(args.trials):
            moment = ("report", "results", "later", "random")[number % 4]
            new, mid_save, left = trial(args, desktop, work, number, moment, report)
            key = (moment, "new" if new else "old", "during the save" if mid_save else "before or after")
            counts[key] = counts.get(key, 0) + 1
            left_total += left
        took = time.monotonic() - t0
    for (moment, which, when), n in sorted(counts.items()):
        print("  killed at %-8s %-16s: %3d trials, Kelvor.dat %s and whole" % (moment, when, n, which))
    print("  temporary files left by killed saves (removed after each trial): %d" % left_total)
    print("killed saves: passed, %d trials in %.0f s" % (args.trials, took))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Fail as e:
        print("killed saves: FAILED: %s" % e)
        sys.exit(1)
