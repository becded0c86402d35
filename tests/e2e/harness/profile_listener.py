#!/usr/bin/python3
"""Hearing levels through a headphone profile, end to end, on a German desktop (the C library's locale
de_DE.UTF-8, whose decimal separator is a comma): a simulated headphone with a known gain per frequency
and ear, one reference run by a listener with normal hearing (0 dB HL), then a listener with a known
hearing loss (in whole level steps) tested with the profile, then a new start of the program, which must
read the profile it wrote.
The run is kept short: the listener calibrates three frequencies and answers the first burst of every
other one, which a reference run keeps nothing of ("heard at once"), so those stay uncalibrated. How
several runs fold into a profile, and its arithmetic, are the core tests' (tests/core/profile).
The hearing levels the program writes into "Kelvor.txt" must be the known loss within one level step
(2 dB) at the calibrated frequencies of both ears, and "not calibrated" at the others.

Exit status as the listener's: 0 passed, 1 failed, 77 the sound had gaps and could not be judged."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from environment import Desktop  # noqa: E402
import hearing  # noqa: E402
from listener import EXIT_FAILED, EXIT_PASSED, EXIT_TOO_BUSY, NORMAL_GRID, Listener  # noqa: E402
from program import Fail, RunningProgram  # noqa: E402

# What the headphone adds to the level reaching each ear (dB); the left driver is 3 dB louder at 6 kHz.
HEADPHONE = {"left": {125: 8, 4000: -6, 6000: 3, 8000: 5}, "right": {125: 8, 4000: -6, 8000: 5}}
# The frequencies the reference run calibrates: a louder and a quieter driver, and one ear's own.
CALIBRATED = (6000, 4000, 1000)
# 0 dB HL on the listener's scale before the headphone: loud enough that no calibrated reference starts
# heard. Half a dB off the 2 dB grid, so that no threshold lies on the edge of a level step and the
# measuring tolerance of the listener's ear cannot tip an answer onto the next step.
NORMAL_DB = 6.5
# Far below the quietest tone: heard at the first burst.
AT_ONCE_DB = -20
# The known loss; only the calibrated frequencies are judged.
LOSS = {"left": {8000: 14, 6000: 10, 4000: 6, 3000: 8, 2000: 4, 1500: 0, 1000: 0, 750: 2, 500: 6, 250: 8,
                 125: 10},
        "right": {8000: 6, 6000: 4, 4000: 8, 3000: 4, 2000: 0, 1500: 2, 1000: 2, 750: 0, 500: 4, 250: 6,
                  125: 12}}
REFERENCE_ITEM = ("Options", "Reference run (calibrate headphones)...")


def audiogram(ear, loss):
    """Thresholds on the listener's scale as the program's output reaches them through the headphone;
    the frequencies not calibrated are heard at once."""
    return {hz: NORMAL_DB + loss.get(hz, 0) - HEADPHONE[ear].get(hz, 0) if hz in CALIBRATED else AT_ONCE_DB
            for hz in NORMAL_GRID}


class ProfileListener(Listener):
    def set_audiograms(self, left, right):
        self.ears = {"left": hearing.Ear("left", left), "right": hearing.Ear("right", right)}
        self.presses, self.screen, self.heard_halves = [], [], []
        self.ear_under_test = "left"
        self.refractory_hz = None

    def reference_run(self):
        self.set_audiograms(audiogram("left", {}), audiogram("right", {}))
        started = time.monotonic()
        self.press_menu(*REFERENCE_ITEM)
        box = self.program.next_box()
        if box is None or not box[0].startswith("Reference run:"):
            raise Fail("no introduction to the reference run: %r" % (box and box[0]))
        self.close_box(box)
        dialog = self.app.window_described("Reference_Name_Dialog")
        self.press(self.app.control("Reference_ok", window=dialog), "name: Headphones")
        self.wait(0.5)
        self.finish_run("the reference run")
        box = self.program.next_box(15)
        kept = "(%d thresholds kept)" % (2 * len(CALIBRATED))
        if box is None or "Reference run added" not in box[0] or kept not in box[0] or "Heard at once" not in box[0]:
            raise Fail("the reference run ended with %r" % (box and box[0]))
        self.close_box(box)
        self.log("the reference run took %.1f min" % ((time.monotonic() - started) / 60))

    def close_box(self, box):
        self.press(box[1], "OK")
        if not self.wait(5, lambda: not self.app.message_boxes()):
            raise Fail("the message %r did not close" % box[0])

    def finish_run(self, what):
        expected = 2 * len(NORMAL_GRID)
        limit = 120 + sum(1.8 * max(e.threshold(hz), 0) / 2 + 3 for e in self.ears.values() for hz in NORMAL_GRID)

        def finished():
            recent = [s for s in self.screen if self.presses and s[0] > self.presses[-1]["pressed_at"] + 0.2]
            # On hold for good: the button no longer offers "ok. detected".
            return len(self.presses) >= expected and len(recent) > 10 and all(
                s[4] != "ok. detected" for s in recent[-10:])
        if not self.wait(limit, finished):
            raise Fail("%s did not finish in %.0f s (%d of %d answers)" % (what, limit, len(self.presses), expected))

    def test_with_profile(self):
        self.set_audiograms(audiogram("left", LOSS["left"]), audiogram("right", LOSS["right"]))
        self.press_control("Start")
        self.wait(0.5)
        self.no_box()  # the conditions are those of the profile
        self.finish_run("the test with the profile")
        self.no_box()
        report = os.path.join(self.work, "Kelvor.txt")
        self.press_control("speichern")
        self.wait(5, lambda: os.path.exists(report) and b"dB HL" in open(report, "rb").read())
        # What the user sees with the profile in use, kept with the artifacts.
        subprocess.run(["import", "-window", "root", os.path.join(self.desktop.folder, "screen.png")],
                       env=self.desktop.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return open(report, "rb").read().decode("utf-8", "replace")

    def start_again(self):
        """The program ended and started once more: it reads the profile it wrote without a word."""
        self.close()
        self.program = RunningProgram(self.desktop, self.args.binary, self.work, self.args.env,
                                      log_name="kelvor-again.log")
        self.app = self.program.app
        self.wait(3)
        self.program.no_box()
        self.program.exit()


def hearing_levels(report):
    """{ear: {hz: dB HL}} from the report's two hearing level blocks."""
    out = {}
    for ear, tag in (("left", "li"), ("right", "re")):
        block = re.search(r"dB HL %s  Profil: [^\r\n]*\r\n\r\n((?:[^\r\n]+\r\n)*)" % tag, report)
        if block is None:
            raise Fail("no hearing level block for the %s ear in Kelvor.txt" % ear)
        out[ear] = {int(m.group(1)): (int(m.group(2)) if m.group(2) else None)
                    for m in re.finditer(r"^ *(\d+) Hz +(?:(-?\d+) dB HL|not calibrated)\r?$", block.group(1), re.M)}
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--artifacts")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()
    args.binary = os.path.abspath(args.binary)
    # What the listener's own options would be for the preset path with the balance following the test.
    for name, value in (("path", "stream"), ("first_use", False), ("balance", "follow"), ("option", []),
                        ("left", None), ("right", None), ("reaction_ms", 150), ("steady_windows", 4),
                        ("audio", None), ("env", {"LC_ALL": "de_DE.UTF-8"})):
        setattr(args, name, value)
    listener = ProfileListener(args)
    problems = []
    profile_file = None
    with Desktop() as desktop:
        profile_file = os.path.join(desktop.folder, "home/.config/kelvor/Headphones.profile")
        try:
            listener.launch(desktop)
            listener.reference_run()
            report = listener.test_with_profile()
            levels = hearing_levels(report)
            for ear in ("left", "right"):
                for hz in NORMAL_GRID:
                    expected = LOSS[ear][hz] if hz in CALIBRATED else None
                    print("  %-5s %5d Hz: loss %3d dB, reported %s dB HL" % (ear, hz, LOSS[ear][hz], levels[ear].get(hz)))
                    got = levels[ear].get(hz, "missing")
                    if expected is None and got is not None:
                        problems.append("%s %d Hz: %r where it is not calibrated" % (ear, hz, got))
                    elif expected is not None and (got in (None, "missing") or abs(got - expected) > 2):
                        problems.append("%s %d Hz: %r dB HL for a loss of %d dB" % (ear, hz, got, expected))
            # The profile as written on this desktop: decimal points, which the new start reads.
            written = open(profile_file, encoding="utf-8").read()
            references = re.findall(r"^(?:left|right) \d+ (\S+) \d+ (\S+)$", written, re.M)
            if len(references) != 2 * len(CALIBRATED) or any("," in n for pair in references for n in pair):
                problems.append("the profile's reference lines are not as written in any locale: %r" % written)
            listener.start_again()
        except Fail as e:
            problems.append(str(e))
        except OSError as e:
            problems.append("the profile %s: %s" % (profile_file, e))
        finally:
            if hasattr(listener, "program"):
                listener.program.kill()
            if hasattr(listener, "recorder"):
                listener.recorder.stop()
        problems += listener.problems
        if args.artifacts:
            os.makedirs(args.artifacts, exist_ok=True)
            for name in ("screen.png", "kelvor.log", "kelvor-again.log", "work/Kelvor.txt", "home/.config/kelvor/Headphones.profile"):
                if os.path.isfile(os.path.join(desktop.folder, name)):
                    shutil.copy(os.path.join(desktop.folder, name), args.artifacts)
            with open(os.path.join(args.artifacts, "run.log"), "w") as f:
                f.write("\n".join(listener.log_lines) + "\n")
    if not problems:
        print("profile listener: passed")
        return EXIT_PASSED
    print("profile listener: FAILED\n - " + "\n - ".join(problems))
    print("\n".join(listener.log_lines[-80:]))
    return EXIT_TOO_BUSY if listener.sink_gaps() else EXIT_FAILED


if __name__ == "__main__":
    sys.exit(main())
