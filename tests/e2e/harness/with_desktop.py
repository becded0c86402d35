#!/usr/bin/python3
"""Runs one command on a private desktop of its own and ends with the command's status, for a test or a
benchmark that must meet a given sound server or display.

Usage: with_desktop.py [--sound pulseaudio|pipewire|none] [--quantum FRAMES] [--rate HZ] [--display x11|wayland|none]
                       [--rerun-failed-tests] -- command..."""

import argparse
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from environment import DISPLAYS, SOUND_SERVERS, Desktop, EnvironmentError_  # noqa: E402


def run_teeing(command, env):
    """Runs the command, passing its output on as it comes; returns (status, output)."""
    process = subprocess.Popen(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                               errors="replace")
    lines = []
    for line in process.stdout:
        sys.stdout.write(line)
        sys.stdout.flush()
        lines.append(line)
    return process.wait(), "".join(lines)


def run_rerunning_failed(command, env, runs_more=2):
    """A GoogleTest run whose failed tests get up to two runs more on the same desktop, each of those that
    still fail. The machines we test on are virtual ones that their host stops for 4 to 30 ms a few times a
    minute; PipeWire's PulseAudio service then plays silence in place of a cycle without telling its
    client. The recording tests measure again when they see the stop, but not every stop is seen from
    inside. A recording
    that caught one is not our fault; the same test failing three times in a row would be."""
    status, output = run_teeing(command, env)
    for _ in range(runs_more):
        failed = sorted(set(re.findall(r"^\[  FAILED  \] ([\w/.]+\.[\w/]+)", output, re.M)))
        if status == 0 or not failed:
            return status
        again = [a for a in command if not a.startswith("--gtest_filter=")] + ["--gtest_filter=" + ":".join(failed)]
        print("with_desktop: once more: %s" % " ".join(failed), flush=True)
        status, output = run_teeing(again, env)
        if status == 0:
            print("with_desktop: passed when run once more: %s" % " ".join(failed), flush=True)
    return status


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--sound", choices=SOUND_SERVERS + ("none",), default="pulseaudio")
    parser.add_argument("--quantum", type=int, help="PipeWire's graph quantum, fixed for every client")
    parser.add_argument("--rate", type=int, help="PipeWire's graph sample rate, fixed")
    parser.add_argument("--display", choices=DISPLAYS + ("none",), default="none")
    parser.add_argument("--rerun-failed-tests", action="store_true",
                        help="give a GoogleTest run's failed tests up to two runs more")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")
    sound = False if args.sound == "none" else args.sound
    display = False if args.display == "none" else args.display
    try:
        with Desktop(sound=sound, display=display, accessibility=False, quantum=args.quantum,
                     rate=args.rate) as desktop:
            env = dict(desktop.env)
            if not display:
                env["QT_QPA_PLATFORM"] = "offscreen"
            if args.rerun_failed_tests:
                return run_rerunning_failed(command, env)
            return subprocess.run(command, env=env).returncode
    except EnvironmentError_ as e:
        print("with_desktop: %s" % e, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
