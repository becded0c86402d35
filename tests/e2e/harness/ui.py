"""The program's windows as a user's assistive technology sees them: controls found by their accessible
description (the control's name), menu items by their captions, pressed through their actions. Names
are read fresh each time (the bridge's cache would answer with a caption the window has since changed)."""

import time

import pyatspi
from gi.repository import Atspi


class UiError(RuntimeError):
    pass


def _poll(look, timeout, missing):
    """What `look` finds (not None), looking again every 0.1 s until `timeout` seconds have passed; then
    UiError(`missing`). The bridge shows a window's parts some moments after the window itself."""
    deadline = time.monotonic() + timeout
    while True:
        found = look()
        if found is not None:
            return found
        if time.monotonic() >= deadline:
            raise UiError(missing)
        time.sleep(0.1)


def _fresh(node):
    try:
        node.clear_cache()
    except Exception:
        pass
    return node


def name_of(node):
    return _fresh(node).name


def role_of(node):
    return node.getRoleName()


def is_showing(node):
    state = _fresh(node).getState()
    return state.contains(pyatspi.STATE_SHOWING) and state.contains(pyatspi.STATE_VISIBLE)


def is_enabled(node):
    return _fresh(node).getState().contains(pyatspi.STATE_ENABLED)


def is_checked(node):
    return _fresh(node).getState().contains(pyatspi.STATE_CHECKED)


def press(node):
    """Runs the control's first action (press, click, toggle); True when the bridge took it."""
    action = node.queryAction()
    return bool(action.doAction(0))


def walk(node, depth=0, limit=12):
    yield node
    if depth >= limit:
        return
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        if child is not None:
            yield from walk(child, depth + 1, limit)


class Application:
    """One running program, found by its application name."""

    def __init__(self, name="kelvor", timeout=30, alive=lambda: True):
        self.name = name
        self.root = None
        desktop = pyatspi.Registry.getDesktop(0)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and alive():
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.name == name:
                    self.root = app
                    break
            if self.root is not None and self._has_window():
                break
            time.sleep(0.1)
        if self.root is None:
            raise UiError("no application %r on the accessibility bus" % name)
        self._by_description = {}

    def _has_window(self):
        try:
            return self.root.childCount > 0
        except Exception:
            return False

    def windows(self):
        out = []
        for i in range(self.root.childCount):
            w = self.root.getChildAtIndex(i)
            if w is not None:
                out.append(w)
        return out

    def control(self, description, window=None, timeout=5):
        """The control whose accessible description is `description` (the program's control name)."""
        cached = self._by_description.get(description)
        if cached is not None and window is None:
            try:
                if cached.description == description:
                    return cached
            except Exception:
                pass
        def look():
            for root in [window] if window is not None else self.windows():
                for node in walk(root):
                    try:
                        if node.description == description:
                            if window is None:
                                self._by_description[description] = node
                            return node
                    except Exception:
                        continue
            return None
        return _poll(look, timeout, "no control described %r" % description)

    def menu_item(self, *captions, timeout=5):
        """A menu item by the captions on its way: ("Options", "Devices, Methods, Ports")."""
        def look():
            for window in self.windows():
                bar = None
                for node in walk(window, limit=3):
                    try:
                        if node.getRoleName() == "menu bar":
                            bar = node
                            break
                    except Exception:
                        continue
                if bar is None:
                    continue
                node = bar
                for caption in captions:
                    found = None
                    for candidate in walk(node, limit=2):
                        try:
                            if candidate is not node and candidate.getRoleName() == "menu item" \
                                    and candidate.name == caption:
                                found = candidate
                                break
                        except Exception:
                            continue
                    node = found
                    if node is None:
                        break
                if node is not None:
                    return node
            return None
        return _poll(look, timeout, "no menu item %s" % " > ".join(captions))

    def message_boxes(self):
        """The open message boxes: (text, OK button)."""
        boxes = []
        for window in self.windows():
            try:
                if window.getRoleName() not in ("dialog", "alert"):
                    continue
                ok = None
                for node in walk(window):
                    if node.description == "OK":
                        ok = node
                        break
                if ok is not None and is_showing(window):
                    boxes.append((name_of(window), ok))
            except Exception:
                continue
        return boxes

    def wait_message_box(self, timeout=10, alive=lambda: True):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and alive():
            boxes = self.message_boxes()
            if boxes:
                return boxes[0]
            time.sleep(0.05)
        return None

    def window_described(self, description, timeout=5):
        def look():
            for w in self.windows():
                try:
                    if w.description == description:
                        return w
                except Exception:
                    continue
            return None
        return _poll(look, timeout, "no window described %r" % description)
