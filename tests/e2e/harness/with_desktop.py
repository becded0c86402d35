#!/usr/bin/python3
"""Runs one command on a private desktop of its own and ends with the command's status, for a test or a
benchmark that must meet a given sound server or display.

Usage: with_desktop.py [--sound pulseaudio|pipewire|none] [--quantum FRAMES] [--rate HZ] [--display x11|wayland|none]
                       -- command..."""

import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from environment import DISPLAYS, SOUND_SERVERS, Desktop, EnvironmentError_  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--sound", choices=SOUND_SERVERS + ("none",), default="pulseaudio")
    parser.add_argument("--quantum", type=int, help="PipeWire's graph quantum, fixed for every client")
    parser.add_argument("--rate", type=int, help="PipeWire's graph sample rate, fixed")
    parser.add_argument("--display", choices=DISPLAYS + ("none",), default="none")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")
    sound = False if args.sound == "none" else args.sound
    display = False if args.display == "none" else args.display
    # A desktop that does not come up (a server that died at start on a machine busy with the whole
    # suite) is made once more before the run counts as failed.
    for attempt in (1, 2):
        try:
            with Desktop(sound=sound, display=display, accessibility=False, quantum=args.quantum,
                         rate=args.rate) as desktop:
                env = dict(desktop.env)
                if not display:
                    env["QT_QPA_PLATFORM"] = "offscreen"
                return subprocess.run(command, env=env).returncode
        except EnvironmentError_ as e:
            print("with_desktop: attempt %d: %s" % (attempt, e), file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
