#!/usr/bin/python3
"""The real program in environments that go wrong, each made for real: no display, no sound server, no
printer, a read-only working folder, a "Kelvor.dat" that is a folder, one of 100 MB, one that may not be
read. In each the program must say what is wrong in a message, keep running and keep the files, and end
normally with Exit."""

import argparse
import os
import stat
import subprocess
import sys
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from environment import DISPLAYS, Desktop  # noqa: E402
from program import Fail, RunningProgram, as_ordinary_user  # noqa: E402

# The display the cases with one run on (--display).
DISPLAY = "x11"

RESULTS = b"(; la; 1000; 25; ); \r\n(; la;  500; 10; ); \r\n(; ra; 2000; 15; ); \r\n"
NO_SOUNDCARD = "no Soundcard found ! "
MIXER = " adjust SOUND MIXER now ! jetzt justieren "
CANNOT_READ = "Fehler beim Lesen: Kelvor.dat"
NO_PRINTER = "No default printer is set up: nothing was printed."


def cannot_create(name):
    return "Fehler / Erzeugung: " + name


class Case:
    def __init__(self, args, name):
        self.args = args
        self.name = name
        self.notes = []

    def note(self, text):
        self.notes.append(text)
        if self.args.verbose:
            print("  %s: %s" % (self.name, text), flush=True)


def folder(desktop):
    work = os.path.join(desktop.folder, "work")
    os.makedirs(work)
    return work


def put(path, content, mode=None):
    with open(path, "wb") as f:
        f.write(content)
    if mode is not None:
        os.chmod(path, mode)


def first_use(program, case):
    """Start without a usable results file: the settings dialog and the mixer message; o.k. ends the
    calibration hold."""
    program.press_control("Start")
    program.answer_box(MIXER)
    program.press_control("Port_ok", window=program.app.window_described("Parameter"))
    case.note("Start took the first-use road")


def finish(program, case):
    if not program.responsive():
        raise Fail("the window does not answer any more")
    status = program.exit()
    if status != 0:
        raise Fail("the program ended with status %d after Exit; its output ends:\n%s" % (
            status, program.output()[-2000:]))
    case.note("still answering; Exit ended it with status 0")


# ---------------------------------------------------------------------------------------------- cases

def no_display(args, case):
    with Desktop(sound=False, display=False) as desktop:
        for display in (None, ":%d" % (1000 + os.getpid() % 1000)):
            env = dict(desktop.env)
            env.pop("DISPLAY", None)
            env.pop("WAYLAND_DISPLAY", None)
            if display:
                env["DISPLAY"] = display
            run = subprocess.run([args.binary], env=env, cwd=desktop.folder, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
            said = run.stdout.decode(errors="replace").strip().splitlines()
            where = "DISPLAY=%s" % display if display else "no DISPLAY"
            if run.returncode != 1:
                raise Fail("%s: status %d (a signal if negative): %s" % (where, run.returncode, said))
            if not said or not said[-1].startswith("kelvor: no display to show the window on"):
                raise Fail("%s: the last line is not the program's own: %s" % (where, said))
            case.note("%s: %r, status 1" % (where, said[-1]))


def no_sound_server(args, case):
    with Desktop(sound=False, display=DISPLAY) as desktop:
        program = RunningProgram(desktop, args.binary, folder(desktop))
        program.press_control("Start")
        program.answer_box(NO_SOUNDCARD)
        case.note("Start said %r" % NO_SOUNDCARD)
        program.answer_box(MIXER)
        program.press_control("Port_ok", window=program.app.window_described("Parameter"))
        # The test runs on without sound: from 0 dB the level rises.
        level = program.app.control("Test_db")
        if not program.wait(6, lambda: program.ui.name_of(level) == "2"):
            raise Fail("the test does not run without a sound server")
        case.note("the test ran on silently: the level rose to 2 dB")
        finish(program, case)


def no_printer(args, case):
    with Desktop(display=DISPLAY) as desktop:
        # A CUPS server that nothing answers: no printer, no default printer.
        env = {"CUPS_SERVER": os.path.join(desktop.folder, "no-cups.sock")}
        work = folder(desktop)
        program = RunningProgram(desktop, args.binary, work, env)
        for what, press in (("print", lambda: program.press_control("Drucken")),
                            ("Chart > print", lambda: program.press_menu("Chart", "print")),
                            ("Program > Print Screen", lambda: program.press_menu("Program", "Print Screen"))):
            t0 = time.monotonic()
            press()
            program.answer_box(NO_PRINTER)
            case.note("%s: %r after %.1f s" % (what, NO_PRINTER, time.monotonic() - t0))
        # The report reaches a page all the same: as a PDF file.
        program.press_menu("Chart", "save as PDF (Kelvor.pdf)")
        pdf = os.path.join(work, "Kelvor.pdf")
        if not program.wait(10, lambda: os.path.exists(pdf)):
            raise Fail("no Kelvor.pdf without a printer")
        program.no_box()
        case.note("save as PDF wrote Kelvor.pdf, %d bytes" % os.path.getsize(pdf))
        finish(program, case)


def read_only_folder(args, case):
    with Desktop(display=DISPLAY) as desktop:
        work = folder(desktop)
        dat = os.path.join(work, "Kelvor.dat")
        put(dat, RESULTS, 0o444)
        os.chmod(work, 0o555)
        try:
            program = RunningProgram(desktop, args.binary, work, prefix=as_ordinary_user())
            first_use(program, case)  # the file cannot be opened for writing: as if missing
            program.press_menu("Chart", "read")
            program.wait(1)
            program.no_box()
            case.note("Read took the results")
            program.press_control("speichern")
            program.answer_box(cannot_create("Kelvor.txt"))
            program.answer_box(cannot_create("Kelvor.dat"))
            case.note("Save said %r and %r" % (cannot_create("Kelvor.txt"), cannot_create("Kelvor.dat")))
            for item, name in (("PDF", "Kelvor.pdf"), ("CSV", "Kelvor.csv"), ("FHIR audiogram", "Kelvor.fhir.json")):
                program.press_menu("Chart", "save as %s (%s)" % (item, name))
                program.answer_box(cannot_create(name))
            case.note("the three exports said they cannot create their files")
            program.press_menu("Program", "Save Screen")
            box = program.next_box()
            if box is None or not box[0].startswith(cannot_create("screen.bmp")):
                raise Fail("Save Screen said %r" % (box and box[0]))
            program.press(box[1], "OK")
            case.note("Save Screen said %r" % box[0])
            finish(program, case)
        finally:
            os.chmod(work, 0o755)
        if open(dat, "rb").read() != RESULTS:
            raise Fail("Kelvor.dat changed")
        if sorted(os.listdir(work)) != ["Kelvor.dat"]:
            raise Fail("files were left in the folder: %s" % os.listdir(work))


def read_and_save_refused(program, case):
    """A "Kelvor.dat" the program may neither read nor replace: both commands say so."""
    program.press_menu("Chart", "read")
    program.answer_box(CANNOT_READ)
    program.press_control("speichern")
    program.answer_box(cannot_create("Kelvor.dat"))
    case.note("Read said %r, Save %r" % (CANNOT_READ, cannot_create("Kelvor.dat")))


def results_file_is_a_folder(args, case):
    with Desktop(display=DISPLAY) as desktop:
        work = folder(desktop)
        os.mkdir(os.path.join(work, "Kelvor.dat"))
        program = RunningProgram(desktop, args.binary, work)
        first_use(program, case)
        read_and_save_refused(program, case)
        finish(program, case)
        if not os.path.isdir(os.path.join(work, "Kelvor.dat")) or os.listdir(os.path.join(work, "Kelvor.dat")):
            raise Fail("the folder Kelvor.dat was changed")
        if not os.path.isfile(os.path.join(work, "Kelvor.txt")):
            raise Fail("the report was not saved beside it")


def results_file_of_100_mb(args, case):
    with Desktop(display=DISPLAY) as desktop:
        work = folder(desktop)
        dat = os.path.join(work, "Kelvor.dat")
        size = 100 * 1024 * 1024
        line = b"(; la; 1000; 30; ); \r\n"
        with open(dat, "wb") as f:
            block = line * (1024 * 1024 // len(line) + 1)
            written = 0
            while written < size:
                part = block[:size - written]
                f.write(part)
                written += len(part)
        program = RunningProgram(desktop, args.binary, work)
        program.press_control("Start")
        program.wait(1)
        program.no_box()  # a file is there: the test begins at once
        t0 = time.monotonic()
        program.press_menu("Chart", "read")
        text = "%s: larger than a results file can be (%d bytes)" % (CANNOT_READ, size)
        program.answer_box(text)
        took = time.monotonic() - t0
        if took > 2:
            raise Fail("Read took %.1f s to answer" % took)
        case.note("Read said %r after %.2f s" % (text, took))
        finish(program, case)
        if os.path.getsize(dat) != size:
            raise Fail("Kelvor.dat changed")


def results_file_not_readable(args, case):
    with Desktop(display=DISPLAY) as desktop:
        work = folder(desktop)
        dat = os.path.join(work, "Kelvor.dat")
        put(dat, RESULTS, 0)
        try:
            program = RunningProgram(desktop, args.binary, work, prefix=as_ordinary_user())
            first_use(program, case)
            read_and_save_refused(program, case)
            finish(program, case)
        finally:
            mode = stat.S_IMODE(os.stat(dat).st_mode)
            os.chmod(dat, 0o644)
        if mode != 0 or open(dat, "rb").read() != RESULTS:
            raise Fail("Kelvor.dat changed (mode %o)" % mode)
        if not os.path.isfile(os.path.join(work, "Kelvor.txt")):
            raise Fail("the report was not saved beside it")


CASES = [no_display, no_sound_server, no_printer, read_only_folder, results_file_is_a_folder,
         results_file_of_100_mb, results_file_not_readable]


def run_case(args, run):
    case = Case(args, run.__name__)
    t0 = time.monotonic()
    try:
        run(args, case)
        verdict = "passed"
    except Fail as e:
        verdict = "FAILED: %s" % e
    except Exception as e:
        verdict = "FAILED (harness): %s\n%s" % (e, traceback.format_exc())
    print("%-28s %s (%.1f s)" % (case.name, verdict, time.monotonic() - t0))
    for n in case.notes:
        print("    " + n)
    return verdict == "passed"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--case", action="append", choices=[c.__name__ for c in CASES])
    parser.add_argument("--display", choices=DISPLAYS, default="x11")
    parser.add_argument("--child", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()
    global DISPLAY
    DISPLAY = args.display
    args.binary = os.path.abspath(args.binary)
    chosen = [c for c in CASES if not args.case or c.__name__ in args.case]
    if args.child:
        return 0 if run_case(args, chosen[0]) else 1
    # Each case in a process of its own: the accessibility library keeps to the bus it found first.
    failed = 0
    for run in chosen:
        command = [sys.executable, os.path.abspath(__file__), "--binary", args.binary, "--case", run.__name__,
                   "--display", args.display, "--child"] + (["--verbose"] if args.verbose else [])
        try:
            status = subprocess.run(command, timeout=240).returncode
        except subprocess.TimeoutExpired:
            print("%-28s FAILED: did not end within 240 s" % run.__name__)
            status = 1
        failed += status != 0
        sys.stdout.flush()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
