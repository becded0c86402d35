#!/usr/bin/python3
"""The simulated listener: runs the real program as a user does and takes a whole hearing test of both
ears with its own audiogram.

It starts `kelvor` on a private desktop (environment.Desktop), drives the window only through the
accessibility bus (controls by their accessible description, menu items by their captions), records
what the sound server plays, cuts it into the tone's halves and measures each one. When a half reaches
the listener's threshold at its frequency, the listener presses "ok. detected" after its reaction time.
At the end it presses "save" and compares "Kelvor.dat" with what it must hold for this listener on this
output path, and every half it heard with what the window showed at the time.

Exit status: 0 passed, 1 failed, 77 the machine was too busy to play the sound without gaps and the
result could not be judged (the gaps are listed)."""

import argparse
import math
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from environment import DISPLAYS, SOUND_SERVERS, Desktop  # noqa: E402
import hearing  # noqa: E402
from program import Fail, RunningProgram  # noqa: E402

EXIT_PASSED, EXIT_FAILED, EXIT_TOO_BUSY = 0, 1, 77

NORMAL_GRID = [8000, 6000, 4000, 3000, 2000, 1500, 1000, 750, 500, 250, 125]
EXTENDED_GRID = [16000, 12000, 10000] + NORMAL_GRID + [75]

# Low thresholds keep a run short (each 2 dB is one more rise of 1.8 s), but none at the first level
# after a frequency step: the rise timer keeps its own rhythm, so a press there may come after the next
# rise, and rightly record that level. The two ears differ at most frequencies, so results given to the
# wrong ear or frequency show. 125 Hz on the left ear is loud enough that the port paths' pause half,
# 10 dB down, still sounds.
LEFT = {16000: 4, 12000: 6, 10000: 4, 8000: 6, 6000: 4, 4000: 4, 3000: 8, 2000: 4, 1500: 4, 1000: 6,
        750: 4, 500: 4, 250: 6, 125: 12, 75: 6}
RIGHT = {16000: 6, 12000: 4, 10000: 4, 8000: 4, 6000: 6, 4000: 8, 3000: 4, 2000: 4, 1500: 6, 1000: 4,
         750: 8, 500: 4, 250: 4, 125: 6, 75: 8}

CALIBRATION_HZ, CALIBRATION_DB = 1000, 12
MIXER_TEXT = " adjust SOUND MIXER now ! jetzt justieren "
SPEAKER_TEXT = "no Volume Adjustment for PC Speaker !"
# The emulated speaker's square wave: a quarter of full scale, on the listener's scale (0 dB = RMS 70.7).
SPEAKER_DB = hearing.level_db(8192)


def parse_audiogram(text, default):
    if not text:
        return dict(default)
    out = {}
    for item in text.split(","):
        hz, db = item.split(":")
        out[int(hz)] = int(db)
    return out


def opl2_loudness(v):
    """What the chip plays for loudness v on the level scale: 0.75 dB per total level unit below the
    loudest (48 dB), total level 63 at loudness 0, which is 47.25 dB down and not silent."""
    t = 63 if v <= 0 else ((48 - v) * 4) // 3
    return 48 - 0.75 * t


class Path:
    """What one output path plays for a level shown on the screen, on the listener's scale after the
    mixer: the sounding half and the pause half."""

    def __init__(self, name):
        self.name = name

    def sounding_db(self, level):
        if self.name == "speaker":
            return SPEAKER_DB if level > 0 else None
        if self.name == "opl2":
            return opl2_loudness(level)
        return level

    def pause_db(self, hz, level):
        if self.name == "opl2":
            # Below 500 Hz the pause half is 10 dB down, silent only where that reaches the floor.
            return opl2_loudness(level - 10 if hz < 500 and level >= 10 else 0)
        return None  # silence

    def within(self, db, expected):
        if self.name == "speaker":
            # Each sample is the square wave averaged over its time, which takes up to 3 dB off the
            # highest tones.
            return expected - 3.5 <= db <= expected + 0.5
        return abs(db - expected) <= 0.45

    def recorded_level(self, threshold):
        """The level a correct program records for a listener with this threshold: the first level on
        the 2 dB scale whose sounding half reaches it."""
        for level in range(0, 50, 2):
            db = self.sounding_db(level)
            if db is not None and db >= threshold - 1.0:
                return level
        return 48


class Listener:
    def __init__(self, args):
        self.args = args
        self.path = Path(args.path)
        self.ears = {"left": hearing.Ear("left", parse_audiogram(args.left, LEFT)),
                     "right": hearing.Ear("right", parse_audiogram(args.right, RIGHT))}
        self.log_lines = []
        self.presses = []  # dicts: time, ear, hz, db, screen before
        self.screen = []  # (time, freq, level, ear, ok caption)
        self.analysers = [hearing.ChannelAnalyser(), hearing.ChannelAnalyser()]
        self.ear_under_test = "left"
        self.pending_press = None  # (time due, record)
        self.refractory_hz = None
        self.answering = True  # false while the listener adjusts the mixer
        self.answer_from = 0
        self.last_screen_poll = 0
        self.heard_halves = []  # (channel, half)
        self.problems = []
        self.microphone_checked = False
        self.started = time.monotonic()

    # ------------------------------------------------------------------ reporting

    def log(self, text):
        line = "%7.2f %s" % (time.monotonic() - self.started, text)
        self.log_lines.append(line)
        if self.args.verbose:
            print(line, flush=True)

    # ------------------------------------------------------------------ the program and its window

    def launch(self, desktop):
        self.desktop = desktop
        self.work = os.path.join(desktop.folder, "work")
        os.makedirs(self.work)
        if not self.args.first_use:
            # Results of an earlier test: Start takes the program as used before, Save replaces them.
            with open(os.path.join(self.work, "Kelvor.dat"), "wb") as f:
                f.write(b"(; la; 1000; 30; ); \r\n(; ra;  500; 40; ); \r\n")
        env = dict(getattr(self.args, "env", None) or {})
        if self.args.audio:
            env["KELVOR_AUDIO"] = self.args.audio
        self.program = RunningProgram(desktop, self.args.binary, self.work, env, on_tick=self.pump_ready)
        self.ui = self.program.ui
        self.app = self.program.app
        self.recorder = hearing.Recorder(desktop.env, desktop.folder)
        self.recorder.start()
        self.ok_button = self.app.control("ok_select")
        self.test_f = self.app.control("Test_F")
        self.test_db = self.app.control("Test_db")
        self.right_ear_picture = self.app.control("Ohr_gif_re")
        self.log("program started, pid %d" % self.program.process.pid)

    def pump_ready(self):
        if hasattr(self, "ok_button"):
            self.pump()

    def alive(self):
        return hasattr(self, "program") and self.program.alive()

    def press(self, node, what):
        self.program.press(node, what)
        self.log("pressed " + what)

    def press_control(self, description):
        self.press(self.app.control(description), description)

    def press_menu(self, *captions):
        self.press(self.app.menu_item(*captions), " > ".join(captions))

    def expect_box(self, text, timeout=10):
        return self.program.expect_box(text, timeout)

    def no_box(self):
        self.program.no_box()

    def poll_screen(self, force=False):
        now = time.monotonic()
        if not force and now - self.last_screen_poll < 0.1:
            return
        self.last_screen_poll = now
        try:
            freq = int(self.ui.name_of(self.test_f))
            level = int(self.ui.name_of(self.test_db))
        except ValueError:
            return
        ear = "right" if self.ui.is_showing(self.right_ear_picture) else "left"
        caption = self.ui.name_of(self.ok_button)
        entry = (now, freq, level, ear, caption)
        if not self.screen or self.screen[-1][1:] != entry[1:]:
            self.log("screen: %5d Hz %2d dB, %s ear, %r" % entry[1:])
        self.screen.append(entry)
        if ear != self.ear_under_test and self.args.balance == "follow":
            # The listener moves the mixer's balance to the ear the program now tests, as its
            # information text says.
            self.ear_under_test = ear
            self.log("balance to the %s ear" % ear)

    # ------------------------------------------------------------------ listening

    def listening_channels(self):
        """(channel, ear) pairs: with the balance following the test one ear hears its own side; with
        the balance in the centre each ear hears its own channel."""
        if self.args.balance == "follow":
            return [(0 if self.ear_under_test == "left" else 1, self.ears[self.ear_under_test])]
        return [(0, self.ears["left"]), (1, self.ears["right"])]

    def pump(self):
        frames = self.recorder.take()
        if len(frames):
            for channel, analyser in enumerate(self.analysers):
                for half in analyser.feed(frames[:, channel]):
                    self.half_finished(channel, half)
        self.poll_screen()
        self.detect()
        if self.pending_press is not None and time.monotonic() >= self.pending_press[0]:
            self.do_press(self.pending_press[1])
            self.pending_press = None

    def half_finished(self, channel, half):
        if half.silent or half.windows < 3:
            return
        self.heard_halves.append((channel, half))
        if self.args.verbose and channel == 0:
            self.log("half: %6.0f ms %6.1f dB %s Hz" % (half.ms, hearing.level_db(half.rms, self.ears["left"].gain),
                                                      half.hz and round(half.hz, 1)))

    def detect(self):
        if self.pending_press is not None or not self.answering:
            return
        for channel, ear in self.listening_channels():
            half = self.analysers[channel].steady(self.args.steady_windows)
            if half is None or half.heard_by is not None or half.judged_windows == half.windows:
                continue
            half.judged_windows = half.windows
            import numpy as np
            hz = hearing.nearest_scale_hz(hearing.tone_hz(np.concatenate(half.samples).astype(np.float64)))
            if hz is None:
                continue
            if hz == CALIBRATION_HZ and self.recorder.played_at(half.start) < self.answer_from:
                half.heard_by = "the calibration tone"
                continue
            if self.refractory_hz is not None:
                if hz == self.refractory_hz:
                    continue
                self.refractory_hz = None
            rms = half.rms
            if not ear.hears(hz, rms):
                continue
            half.heard_by = ear.name
            db = hearing.level_db(rms, ear.gain)
            record = {"ear": ear.name, "hz": hz, "db": db, "heard_at": time.monotonic(),
                      "played_at": self.recorder.played_at(half.start)}
            self.log("heard %d Hz at %.1f dB with the %s ear (threshold %d)" % (hz, db, ear.name,
                                                                                ear.threshold(hz)))
            self.pending_press = (time.monotonic() + self.args.reaction_ms / 1000.0, record)
            return

    def do_press(self, record):
        self.poll_screen(force=True)
        record["screen"] = self.screen[-1]
        t0 = time.monotonic()
        self.press(self.ok_button, "ok. detected (%d Hz, screen %d Hz %d dB)" % (record["hz"],
                                                                                record["screen"][1],
                                                                                record["screen"][2]))
        record["pressed_at"] = t0
        record["press_ms"] = 1000 * (time.monotonic() - t0)
        self.presses.append(record)
        # The same tone goes on for a moment after the press: it has been answered.
        self.refractory_hz = record["hz"]

    def wait(self, seconds, until=None):
        return self.program.wait(seconds, until)

    # ------------------------------------------------------------------ the roads

    def choose_path(self):
        if self.path.name == "stream" and not self.args.option:
            return  # the preset
        self.press_menu("Options", "Devices, Methods, Ports")
        dialog = self.app.window_described("Parameter")
        self.wait(0.3)
        for option in self.args.option:
            box = self.app.control(option, window=dialog)
            self.press(box, option)
            if not self.wait(2, lambda: self.ui.is_checked(box)):
                raise Fail("the option %s does not stay chosen" % option)
        if self.path.name == "opl2":
            self.press(self.app.control("MethB_Port_Driver", window=dialog), "Port Driver")
        elif self.path.name == "speaker":
            self.press(self.app.control("Dev_PC_Speaker", window=dialog), "PC Speaker")
            _, ok = self.expect_box(SPEAKER_TEXT)
            self.press(ok, "OK")
        if self.path.name != "stream":
            self.wait(0.5)  # a tick, so that the window shows the logic's state again
            method = self.app.control("MethB_Port_Driver", window=dialog)
            if not self.ui.is_checked(method):
                raise Fail("the settings dialog does not show the port driver method chosen")
        self.press(self.app.control("Port_ok", window=dialog), "o.k. select")
        self.wait(0.3)

    def calibrate(self):
        """First use: the program holds the 1 kHz 12 dB calibration tone and asks for the mixer to be
        adjusted. The listener measures the tone and sets its mixer so that it sounds at 12 dB."""
        self.answering = False
        _, ok = self.expect_box(MIXER_TEXT)
        dialog = self.app.window_described("Parameter")
        if not self.ui.is_showing(dialog):
            raise Fail("the settings dialog is not shown on first use")
        # Its set-up runs when it is shown, also where the window system gives it no focus (Wayland):
        # it chooses the 95 family, which the controls' initial state does not.
        if not self.ui.is_checked(self.app.control("OS_Win_9598", window=dialog)):
            raise Fail("the settings dialog shown on first use is not set up")
        start = len(self.heard_halves)

        def tone_halves():
            # The sounding halves: the loudest of what plays while the tone is held.
            halves = [h for c, h in self.heard_halves[start:] if c == 0 and h.ms >= 250]
            if not halves:
                return []
            loudest = max(h.rms for h in halves)
            return [h for h in halves if hearing.level_db(h.rms) > hearing.level_db(loudest) - 1]
        if not self.wait(10, lambda: len(tone_halves()) >= 3):
            raise Fail("no calibration tone heard")
        halves = tone_halves()
        levels = sorted(hearing.level_db(h.rms) for h in halves)
        if levels[-1] - levels[0] > 0.2:
            raise Fail("the calibration tone changes its level: %s" % levels)
        for h in halves:
            if hearing.nearest_scale_hz(h.hz) != CALIBRATION_HZ:
                raise Fail("the calibration tone is at %.1f Hz" % h.hz)
        self.poll_screen(force=True)
        if self.screen[-1][1:3] != (CALIBRATION_HZ, CALIBRATION_DB):
            raise Fail("the screen shows %d Hz %d dB during the calibration" % self.screen[-1][1:3])
        if self.path.name != "speaker":
            measured = levels[len(levels) // 2]
            gain = 10 ** ((CALIBRATION_DB - measured) / 20)
            for ear in self.ears.values():
                ear.gain = gain
            self.log("mixer set: calibration tone at %.2f dB before the mixer, gain %.2f dB" % (
                measured, 20 * math.log10(gain)))
        self.press(ok, "OK")
        self.wait(0.3)
        self.press(self.app.control("Port_ok", window=self.app.window_described("Parameter")), "o.k. select")
        self.start_answering()

    def start_answering(self):
        """From now on the listener answers; the calibration tone it has been listening to, still on
        its way from the program for a moment, is no test tone."""
        self.answer_from = time.monotonic() + 0.1  # what the program played before, still on its way
        self.answering = True

    def grid(self):
        return EXTENDED_GRID if self.path.name in ("opl2", "speaker") else NORMAL_GRID

    def expected_file(self):
        lines = []
        for tag, ear in (("la", self.ears["left"]), ("ra", self.ears["right"])):
            for hz in self.grid():
                lines.append("(; %s; %4d; %2d; ); \r\n" % (tag, hz, self.path.recorded_level(ear.threshold(hz))))
        return "".join(lines).encode("ascii")

    def run_test(self):
        expected_presses = 2 * len(self.grid())
        self.press_control("Start")
        if self.args.first_use:
            self.calibrate()
        else:
            self.wait(0.5)
            self.no_box()
        limit = 60 + 2 * sum(1.8 * (self.path.recorded_level(e.threshold(hz)) / 2) + 1.5
                             for e in self.ears.values() for hz in self.grid())

        def finished():
            if len(self.presses) >= 2 and not self.microphone_checked:  # the room watch is off: no capture
                self.microphone_checked = True
                listed = subprocess.run(["pactl", "list", "source-outputs"], env=self.desktop.env,
                                        capture_output=True, text=True).stdout
                if '"Room noise"' in listed:
                    self.problems.append("Kelvor's room watch records although it is off:\n" + listed)
            if len(self.presses) < expected_presses or not self.screen:
                return False
            # The last answer puts the test on hold for good: the button offers "continue".
            recent = [s for s in self.screen if s[0] > self.presses[-1]["pressed_at"] + 0.2]
            return len(recent) > 10 and all(s[4] == "continue" for s in recent[-5:])
        if not self.wait(limit, finished):
            self.problems.append("the test did not finish in %.0f s (%d of %d answers)" % (
                limit, len(self.presses), expected_presses))
        self.no_box()

    def save_and_compare(self):
        path = os.path.join(self.work, "Kelvor.dat")
        before = open(path, "rb").read() if os.path.exists(path) else None
        self.press_control("speichern")
        self.wait(5, lambda: os.path.exists(path) and open(path, "rb").read() != before)
        self.no_box()
        saved = open(path, "rb").read() if os.path.exists(path) else b"(no file)"
        expected = self.expected_file()
        if saved != expected:
            self.problems.append("Kelvor.dat differs from the audiogram:\n" + side_by_side(expected, saved))
        if not os.path.exists(os.path.join(self.work, "Kelvor.txt")):
            self.problems.append("no Kelvor.txt beside Kelvor.dat")
        return saved == expected

    def close(self):
        status = self.program.exit()
        if status != 0:
            self.problems.append("the program ended with status %d" % status)

    # ------------------------------------------------------------------ judging the sound

    def check_sound_against_screen(self):
        """Every half heard at a test frequency must be what the screen showed shortly before it or
        while it played: its frequency and the path's loudness for the level shown."""
        mismatches = []
        quietest = min(min(e.audiogram.values()) for e in self.ears.values())
        self.inaudible = {}
        for channel, half in self.heard_halves:
            if half.ms < 150 or half.hz is None:
                continue
            if self.args.balance == "follow" and channel != 0:
                continue
            hz = hearing.nearest_scale_hz(half.hz)
            db = hearing.level_db(half.rms, self.ears["left"].gain)
            if db < quietest - 3:
                # Far below what this listener hears: nothing it could answer to. Listed, not judged.
                key = (round(half.hz), round(db))
                self.inaudible[key] = self.inaudible.get(key, 0) + half.ms
                continue
            begin = self.recorder.played_at(half.start)
            end = self.recorder.played_at(half.end)
            shown = {(s[1], s[2]) for s in self.screen if begin - 1.0 <= s[0] <= end + 0.1}
            if not shown:
                continue  # before the first look at the screen
            if any(self.matches(hz, db, f, level) for f, level in shown):
                continue
            mismatches.append("%.2f s: %s Hz at %.1f dB for %.0f ms; the screen showed %s" % (
                begin - self.started, hz, db, half.ms,
                ", ".join("%d Hz %d dB" % s for s in sorted(shown))))
        return mismatches

    def matches(self, hz, db, shown_hz, shown_level):
        if hz != shown_hz:
            return False
        for expected in (self.path.sounding_db(shown_level), self.path.pause_db(shown_hz, shown_level)):
            if expected is not None and self.path.within(db, expected):
                return True
        return False

    def end_and_judge_sound(self):
        """Ends the program and the recording, then holds every half heard against the screen."""
        if hasattr(self, "program"):
            self.program.kill()
        if not hasattr(self, "recorder"):
            return
        self.recorder.stop()
        mismatches = self.check_sound_against_screen()
        if mismatches:
            self.problems.append("%d half/halves sounded other than the screen said:\n  %s" % (
                len(mismatches), "\n  ".join(mismatches[:20])))

    def sink_gaps(self):
        return self.analysers[0].gaps

    def report(self, passed_file):
        print("listener on the %s path, %s, balance %s" % (
            self.path.name, "first use" if self.args.first_use else "results file present", self.args.balance))
        print("answers (%d):" % len(self.presses))
        for p in self.presses:
            s = p["screen"]
            print("  %-5s %5d Hz heard at %5.1f dB; screen %5d Hz %2d dB; reaction %4.0f ms after the "
                  "tone began, press took %3.0f ms" % (p["ear"], p["hz"], p["db"], s[1], s[2],
                                                       1000 * (p["pressed_at"] - p["played_at"]), p["press_ms"]))
        for (hz, db), ms in sorted(getattr(self, "inaudible", {}).items()):
            print("  also sounding, below this listener's hearing: %d Hz at %d dB for %.1f s in all" % (
                hz, db, ms / 1000))
        gaps = self.sink_gaps()
        if gaps:
            print("the sound server played %d gap(s) of silence inside the sound (the machine was busy): %s" % (
                len(gaps), ", ".join("%.0f ms at %.2f s" % (1000 * n / hearing.RATE, f / hearing.RATE)
                                    for f, n in gaps[:10])))


def side_by_side(expected, saved):
    e = expected.decode("ascii", "replace").split("\r\n")
    s = saved.decode("ascii", "replace").split("\r\n")
    rows = []
    for i in range(max(len(e), len(s))):
        a = e[i] if i < len(e) else ""
        b = s[i] if i < len(s) else ""
        rows.append("  %s %-24r %r" % ("  " if a == b else "!!", a, b))
    return "  expected                   saved\n" + "\n".join(rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--path", choices=["stream", "opl2", "speaker"], default="stream")
    parser.add_argument("--first-use", action="store_true",
                        help="no Kelvor.dat at Start: the calibration road through the dialog")
    parser.add_argument("--balance", choices=["follow", "centre"], default="follow",
                        help="follow: the listener moves the balance to the ear under test (one program "
                             "output for both ears); centre: each ear hears its own channel")
    parser.add_argument("--option", action="append", default=[],
                        help="a check box of the settings dialog to turn on first, by its name (Ear_Routing, "
                             "Soft_Onset); with Ear_Routing give --balance centre")
    parser.add_argument("--left", help="left audiogram, e.g. 8000:4,6000:6,...")
    parser.add_argument("--right", help="right audiogram")
    parser.add_argument("--reaction-ms", type=int, default=150)
    parser.add_argument("--steady-windows", type=int, default=4, help="20 ms windows before a tone counts")
    parser.add_argument("--audio", help="KELVOR_AUDIO for the program")
    parser.add_argument("--sound-server", choices=SOUND_SERVERS, default="pulseaudio")
    parser.add_argument("--display", choices=DISPLAYS, default="x11",
                        help="wayland: the program a native client of a headless compositor")
    parser.add_argument("--artifacts", help="folder for the run's log, the program's output and a screenshot; "
                                            "the recording too when the run fails")
    parser.add_argument("--keep-recording", action="store_true", help="keep the recording also when passing")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()
    args.binary = os.path.abspath(args.binary)

    listener = Listener(args)
    status = EXIT_FAILED
    with Desktop(sound=args.sound_server, display=args.display) as desktop:
        try:
            listener.launch(desktop)
            listener.choose_path()
            listener.run_test()
            listener.save_and_compare()
            shot = os.path.join(desktop.folder, "screen.png")
            if args.display == "x11":  # an X11 tool; a Wayland compositor shows its screen to no client
                subprocess.run(["import", "-window", "root", shot], env=desktop.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
            listener.close()
        except Fail as e:
            listener.problems.append(str(e))
        except Exception as e:  # a failure of the harness itself: say where
            import traceback
            listener.problems.append("harness error: %s\n%s" % (e, traceback.format_exc()))
        finally:
            listener.end_and_judge_sound()
        listener.report(None)
        gaps = listener.sink_gaps()
        if not listener.problems:
            print("listener: passed")
            status = EXIT_PASSED
        else:
            print("listener: FAILED")
            for p in listener.problems:
                print(" - " + p)
            if gaps:
                print("The sound had gaps: the machine was too busy to feed the sound server, which can shift "
                      "the answers onto the next level. Not judged.")
                status = EXIT_TOO_BUSY
            print("--- run log")
            print("\n".join(listener.log_lines[-200:]))
            if hasattr(listener, "program"):
                print("--- program output")
                print(listener.program.output()[-3000:])
        if args.artifacts:
            os.makedirs(args.artifacts, exist_ok=True)
            keep = {"kelvor.log", "screen.png"}
            if status != EXIT_PASSED or args.keep_recording:
                keep |= {"monitor.raw", "pulseaudio.log", "pipewire.log", "wireplumber.log", "pipewire-pulse.log",
                         "xvfb.log", "weston.log", "at-spi-bus.log"}
            for name in keep:
                src = os.path.join(desktop.folder, name)
                if os.path.isfile(src):
                    shutil.copy(src, args.artifacts)
            with open(os.path.join(args.artifacts, "run.log"), "w") as f:
                f.write("\n".join(listener.log_lines) + "\n")
    return status


if __name__ == "__main__":
    sys.exit(main())
