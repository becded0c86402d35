#!/usr/bin/python3
"""The confirmed threshold through the real window, kept short: the simulated listener checks "Confirm
each threshold" in the settings dialog, starts a test (a results file lies in the working folder, so
Start begins at once) and answers every ascent that reaches its threshold, and once per frequency it
presses while nothing sounds (a pause or a silent catch trial), as a listener does who thinks he heard
something. After the left ear's first two frequencies it saves: "Kelvor.dat" must hold their thresholds,
confirmed over two ascents each, as if no false press had been made. The procedure's rules and its
statistics are the core tests' and the benchmark's (tests/core/hearing, bench/).

Exit status as the listener's: 0 passed, 1 failed, 77 the sound had gaps and could not be judged."""

import argparse
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from environment import Desktop  # noqa: E402
from listener import EXIT_FAILED, EXIT_PASSED, EXIT_TOO_BUSY, NORMAL_GRID, Listener, side_by_side  # noqa: E402
from program import Fail  # noqa: E402

# The data stream plays 300 ms bursts 500 ms apart; a silence this long is the procedure's own.
PAUSE_MS = 900
FREQUENCIES = NORMAL_GRID[:2]


class ConfirmedListener(Listener):
    def __init__(self, args):
        super().__init__(args)
        self.false_presses = []  # (time, Hz on the screen)
        self.pauses = 0
        self.in_pause = False
        # Only a press during the test is a false one; before Start the button stores what the screen shows.
        self.testing = False

    def pump(self):
        super().pump()
        half = self.analysers[0].open
        silent_long = half is not None and half.silent and half.ms >= PAUSE_MS
        if silent_long and not self.in_pause:
            # Another ascent may reach the same tone again: it is a new answer.
            self.pauses += 1
            self.refractory_hz = None
            self.poll_screen(force=True)
            hz = self.screen[-1][1] if self.screen else None
            if self.testing and self.answering and hz is not None and hz not in [f for _, f in self.false_presses]:
                self.press(self.ok_button, "ok. detected while nothing sounds (%s Hz on the screen)" % hz)
                self.false_presses.append((time.monotonic(), hz))
        self.in_pause = silent_long

    def run_short(self):
        self.press_control("Start")
        self.wait(0.5)
        self.no_box()
        self.start_answering()
        self.testing = True
        third = NORMAL_GRID[2]
        if not self.wait(150, lambda: self.screen and self.screen[-1][1] == third):
            raise Fail("the test did not reach %d Hz in 150 s (%d answers, %d pauses)" % (
                third, len(self.presses), self.pauses))
        self.answering = False
        self.testing = False
        per_hz = {hz: sum(1 for p in self.presses if p["hz"] == hz) for hz in FREQUENCIES}
        if any(n < 2 for n in per_hz.values()):
            self.problems.append("each threshold takes two answers, not %r" % per_hz)
        if len(self.false_presses) < 2:
            self.problems.append("the listener found no silence to press in at each frequency: %r" % self.false_presses)

    def save_and_compare(self):
        # What the user sees in the middle of the ear: the status bar tells where the test stands.
        subprocess.run(["import", "-window", "root", os.path.join(self.desktop.folder, "screen.png")],
                       env=self.desktop.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        path = os.path.join(self.work, "Kelvor.dat")
        before = open(path, "rb").read()
        self.press_control("speichern")
        self.wait(5, lambda: open(path, "rb").read() != before)
        self.no_box()
        saved = open(path, "rb").read()
        ear = self.ears["left"]
        expected = "".join("(; la; %4d; %2d; ); \r\n" % (hz, self.path.recorded_level(ear.threshold(hz)))
                           for hz in FREQUENCIES).encode("ascii")
        if saved != expected:
            self.problems.append("Kelvor.dat differs from the audiogram:\n" + side_by_side(expected, saved))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--artifacts")
    args = parser.parse_args()
    args.binary = os.path.abspath(args.binary)
    for name, value in (("path", "stream"), ("first_use", False), ("balance", "follow"),
                        ("option", ["Confirm_Thresholds"]), ("left", None), ("right", None), ("reaction_ms", 150),
                        ("steady_windows", 4), ("audio", None), ("verbose", False)):
        setattr(args, name, value)
    listener = ConfirmedListener(args)
    with Desktop() as desktop:
        try:
            listener.launch(desktop)
            listener.choose_path()
            listener.run_short()
            listener.save_and_compare()
            listener.close()
        except Fail as e:
            listener.problems.append(str(e))
        finally:
            listener.end_and_judge_sound()
        if args.artifacts:
            os.makedirs(args.artifacts, exist_ok=True)
            for name in ("kelvor.log", "screen.png", "work/Kelvor.dat"):
                if os.path.isfile(os.path.join(desktop.folder, name)):
                    shutil.copy(os.path.join(desktop.folder, name), args.artifacts)
            with open(os.path.join(args.artifacts, "run.log"), "w") as f:
                f.write("\n".join(listener.log_lines) + "\n")
    print("answers: %s; presses in silence: %s; pauses: %d" % (
        ", ".join("%d Hz %d dB" % (p["hz"], p["screen"][2]) for p in listener.presses),
        ", ".join("%d Hz" % hz for _, hz in listener.false_presses), listener.pauses))
    if not listener.problems:
        print("confirmed listener: passed")
        return EXIT_PASSED
    print("confirmed listener: FAILED\n - " + "\n - ".join(listener.problems))
    print("\n".join(listener.log_lines[-80:]))
    return EXIT_TOO_BUSY if listener.sink_gaps() else EXIT_FAILED


if __name__ == "__main__":
    sys.exit(main())
