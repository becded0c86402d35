"""The real program started in a working folder of a private desktop, and what a user does with it:
press controls and menu items, answer message boxes, end it."""

import os
import subprocess
import time


class Fail(Exception):
    pass


def as_ordinary_user():
    """A command prefix under which file permissions hold for the program as for any user: root keeps
    its identity (its buses and sound server still take it) but loses the capabilities that read and
    write past permissions. Empty when not root: they hold already."""
    if os.geteuid() != 0:
        return []
    return ["setpriv", "--bounding-set=-dac_override,-dac_read_search", "--"]


class RunningProgram:
    def __init__(self, desktop, binary, work, extra_env=None, log_name="kelvor.log", on_tick=None, prefix=()):
        """Starts `binary` in `work` (behind the command `prefix`, if any). `on_tick` runs while waiting
        (the listener listens then)."""
        self.desktop = desktop
        self.work = work
        self.on_tick = on_tick or (lambda: None)
        os.environ.update(desktop.env)  # the accessibility library finds the bus through them
        import ui
        self.ui = ui
        env = dict(desktop.env)
        env.update(extra_env or {})
        self.log_path = os.path.join(desktop.folder, log_name)
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(list(prefix) + [binary], cwd=work, env=env, stdin=subprocess.DEVNULL, stdout=log,
                                            stderr=subprocess.STDOUT)
        try:
            self.app = ui.Application(alive=self.alive)
        except ui.UiError as e:
            self.kill()
            raise Fail("%s (program status %s): %s\n[%s]" % (e, self.process.returncode, self.output()[-1500:],
                                                            self.desktop.describe()))

    def alive(self):
        return self.process.poll() is None

    def output(self):
        try:
            with open(self.log_path, errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def wait(self, seconds, until=None):
        """Waits `seconds`, or until `until()` is true (then returns True)."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.on_tick()
            if until is not None and until():
                return True
            if not self.alive():
                raise Fail("the program ended (status %s): %s" % (self.process.returncode, self.output()[-500:]))
            time.sleep(0.005)
        return until is None

    def press(self, node, what):
        if not self.alive():
            raise Fail("the program ended (status %s) before %s" % (self.process.returncode, what))
        if not self.ui.press(node):
            raise Fail("%s could not be pressed" % what)

    def press_control(self, description, window=None):
        self.press(self.app.control(description, window=window), description)

    def press_menu(self, *captions):
        self.press(self.app.menu_item(*captions), " > ".join(captions))

    def next_box(self, timeout=10):
        """(text, OK button) of the next message box, or None when none comes."""
        found = []

        def box():
            boxes = self.app.message_boxes()
            if boxes:
                found.append(boxes[0])
            return bool(boxes)
        self.wait(timeout, box)
        return found[0] if found else None

    def expect_box(self, text, timeout=10):
        box = self.next_box(timeout)
        if box is None:
            raise Fail("the message %r did not come" % text)
        if box[0] != text:
            raise Fail("message %r instead of %r" % (box[0], text))
        return box

    def answer_box(self, text, timeout=10):
        """Expects the message `text` and presses its OK; waits until it has gone."""
        _, ok = self.expect_box(text, timeout)
        self.press(ok, "OK")

        def closed():
            try:
                return not self.ui.is_showing(ok)
            except Exception:  # gone from the bus with its box
                return True
        if not self.wait(5, closed):
            raise Fail("the message %r did not close" % text)

    def no_box(self):
        boxes = self.app.message_boxes()
        if boxes:
            raise Fail("unexpected message: %r" % boxes[0][0])

    def responsive(self):
        """The window still answers: Infos > display shows the information text, Infos > hide hides it."""
        memo = self.app.control("Memo1_E")
        self.press_menu("Infos", "display")
        shown = self.wait(3, lambda: self.ui.is_showing(memo))
        self.press_menu("Infos", "hide")
        return shown and self.wait(3, lambda: not self.ui.is_showing(memo))

    def exit(self, timeout=15):
        """Program > Exit; the status it ends with."""
        self.press_menu("Program", "Exit")
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise Fail("the program did not end after Exit")

    def kill(self):
        if self.alive():
            self.process.kill()
        self.process.wait()
