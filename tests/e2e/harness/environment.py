"""A private desktop for one run of the program: a sound server with one null sink (PulseAudio, or
PipeWire with WirePlumber and its PulseAudio service, as current desktops run it), a display (Xvfb, or
weston as a headless Wayland compositor), a session bus and the accessibility bus on it. Every daemon is
a child of this process, is stopped by its own PID, and leaves its output in the run's folder."""

import os
import random
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time


class EnvironmentError_(RuntimeError):
    pass


def _answers(address):
    """Whether a Unix socket at `address` (a leading NUL: the abstract namespace) takes a connection."""
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        try:
            s.connect(address)
            return True
        except OSError:
            return False


def _greets_as_x_server(address, seconds=10):
    """Whether the X server at the Unix socket `address` accepts a connection without credentials, as
    our clients will make it: the first byte of its answer to the connection setup is 1 (success)."""
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        s.settimeout(seconds)
        try:
            s.connect(address)
            # Little-endian, protocol 11.0, no authorisation name or data.
            s.sendall(b"l\0" + (11).to_bytes(2, "little") + (0).to_bytes(2, "little") + b"\0" * 6)
            return s.recv(1) == b"\x01"
        except OSError:
            return False


def _wait_for(predicate, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.05)
    raise EnvironmentError_(what() if callable(what) else what)


SOUND_SERVERS = ("pulseaudio", "pipewire")
DISPLAYS = ("x11", "wayland")


class Desktop:
    """Use as a context manager. `env` is what a program started inside needs; `folder` is the run's
    own folder (logs, the sound server's runtime files). `sound`: one of SOUND_SERVERS, True for
    PulseAudio, False for none; `display`: one of DISPLAYS, True for X11, False for none. On PipeWire,
    `quantum` fixes the graph's quantum (frames) for every client, as a desktop configured for power
    saving or a Bluetooth headset runs it, and `rate` its sample rate (Debian's PipeWire runs at 48 kHz
    and resamples ours); None leaves PipeWire to choose."""

    def __init__(self, sound=True, display=True, accessibility=True, keep=False, quantum=None, rate=None):
        self.sound = "pulseaudio" if sound is True else sound
        self.quantum = quantum
        self.rate = rate
        self.display = "x11" if display is True else display
        self.accessibility = accessibility and display
        self.keep = keep
        self.folder = tempfile.mkdtemp(prefix="kelvor-e2e.")
        self.env = {}
        self._children = []  # (name, Popen), stopped in reverse order

    # ------------------------------------------------------------------ start and stop

    def __enter__(self):
        # A desktop that does not come up (a server that ends at its start on a machine busy with the
        # whole suite) is made once more, in a new folder, before the run counts as failed.
        for attempt in (1, 2):
            try:
                self._start()
                return self
            except EnvironmentError_ as e:
                self.stop()
                if attempt == 2:
                    raise
                print("desktop: made once more: %s" % e, file=sys.stderr, flush=True)
                self.folder = tempfile.mkdtemp(prefix="kelvor-e2e.")
                self.env = {}
            except BaseException:
                self.stop()
                raise

    def __exit__(self, *exc):
        self.stop()
        return False

    def _spawn(self, name, argv, env, **kw):
        log = open(os.path.join(self.folder, name + ".log"), "wb")
        proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=kw.pop("stdout", log),
                                stderr=log, **kw)
        log.close()
        self._children.append((name, proc))
        return proc

    def _start(self):
        base = dict(os.environ)
        for var in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS",
                    "PULSE_SERVER", "PULSE_SINK", "QT_QPA_PLATFORM", "CUPS_SERVER_UNUSED"):
            base.pop(var, None)
        runtime = os.path.join(self.folder, "runtime")
        os.makedirs(runtime, mode=0o700)
        base["XDG_RUNTIME_DIR"] = runtime
        base["PULSE_RUNTIME_PATH"] = os.path.join(runtime, "pulse")
        # Made before any server or client: pipewire-pulse ends at its start when a client (our own
        # "pactl info", waiting for it) makes the folder between its look and its mkdir.
        os.makedirs(base["PULSE_RUNTIME_PATH"], mode=0o700)
        # Nothing of the user's own configuration reaches the daemons or the program.
        base["HOME"] = os.path.join(self.folder, "home")
        os.makedirs(base["HOME"])
        base["XDG_CONFIG_HOME"] = os.path.join(base["HOME"], ".config")
        # PipeWire's session manager and the accessibility bus both live on the session bus.
        if self.accessibility or self.sound == "pipewire":
            self._start_session_bus(base)
        if self.sound == "pipewire":
            self._start_pipewire(base)
        elif self.sound:
            self._start_pulse(base)
        else:
            # A server address that nothing answers, and no autospawn.
            base["PULSE_SERVER"] = "unix:" + os.path.join(runtime, "no-sound-server")
            os.makedirs(base["XDG_CONFIG_HOME"] + "/pulse", exist_ok=True)
            with open(base["XDG_CONFIG_HOME"] + "/pulse/client.conf", "w") as f:
                f.write("autospawn = no\n")
        if self.display == "wayland":
            self._start_weston(base)
        elif self.display:
            self._start_xvfb(base)
        if self.accessibility:
            self._start_accessibility_bus(base)
            base["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env = base

    def _start_pulse(self, env):
        config = os.path.join(self.folder, "default.pa")
        with open(config, "w") as f:
            f.write("load-module module-native-protocol-unix\n"
                    "load-module module-null-sink sink_name=kelvor_e2e norewinds=1 rate=44100 channels=2\n"
                    "set-default-sink kelvor_e2e\n"
                    "set-default-source kelvor_e2e.monitor\n")
        self._spawn("pulseaudio", ["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                                   "--use-pid-file=no", "--system=no", "-n", "-F", config,
                                   "--log-target=file:" + os.path.join(self.folder, "pulse-server.log")],
                    env)

        def answers():
            return subprocess.run(["pactl", "info"], env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=5).returncode == 0
        _wait_for(answers, 15, "PulseAudio did not start (see %s)" % self.folder)

    def _start_pipewire(self, env):
        """PipeWire with the system's own configuration (its graph at 48 kHz and its default quantum, as a
        desktop runs it), then the session manager and the PulseAudio service; one at a time, as the
        session manager may die when the three race."""
        def says(*argv):
            try:
                r = subprocess.run(list(argv), env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                   timeout=10)
            except subprocess.TimeoutExpired:
                return None
            return r.stdout.decode(errors="replace").strip() if r.returncode == 0 else None

        def succeeds(*argv):
            return says(*argv) is not None
        # Each step may take long while the whole suite starts at once on two cores.
        def failed(what):
            return "%s: %s" % (what, self.describe())
        self._spawn("pipewire", ["pipewire"], env)
        _wait_for(lambda: succeeds("pw-cli", "info", "0"), 60, lambda: failed("PipeWire did not start"))
        self._spawn("wireplumber", ["wireplumber"], env)
        self._spawn("pipewire-pulse", ["pipewire-pulse"], env)
        _wait_for(lambda: "on PipeWire" in (says("pactl", "info") or ""), 60,
                  lambda: failed("PipeWire's PulseAudio service did not start"))
        if not succeeds("pactl", "load-module", "module-null-sink", "sink_name=kelvor_e2e", "rate=44100",
                        "channels=2"):
            raise EnvironmentError_(failed("PipeWire took no null sink"))
        # The session manager may take a moment to accept a default.
        def default_sink():
            succeeds("pactl", "set-default-sink", "kelvor_e2e")
            return says("pactl", "get-default-sink") == "kelvor_e2e"
        _wait_for(default_sink, 60, lambda: failed("PipeWire's default sink stays another than ours"))
        for key, value in (("clock.force-quantum", self.quantum), ("clock.force-rate", self.rate)):
            if value and not succeeds("pw-metadata", "-n", "settings", "0", key, str(value)):
                raise EnvironmentError_(failed("PipeWire took no " + key))
        env["PULSE_SERVER"] = "unix:" + os.path.join(env["XDG_RUNTIME_DIR"], "pulse", "native")

    def _start_weston(self, env):
        """weston without a screen or an input seat, the program a native Wayland client of it."""
        socket_name = "wayland-kelvor"
        proc = self._spawn("weston", ["weston", "--backend=headless-backend.so", "--socket=" + socket_name,
                                      "--idle-time=0", "--width=1280", "--height=1024"], env)
        path = os.path.join(env["XDG_RUNTIME_DIR"], socket_name)
        _wait_for(lambda: _answers(path) or proc.poll() is not None, 15,
                  "weston did not start (see %s)" % self.folder)
        if proc.poll() is not None:
            raise EnvironmentError_("weston ended at its start (see %s)" % self.folder)
        env["WAYLAND_DISPLAY"] = socket_name
        env["QT_QPA_PLATFORM"] = "wayland"

    def _start_xvfb(self, env):
        # A display number nobody uses, also not through the abstract socket a client tries first
        # (a display of another mount namespace shows no lock file here, but takes our clients). One
        # may appear there between our look and our server's start, so the display counts only when
        # both of its sockets greet us as an X server. -noreset: an X server starts over when its last
        # client leaves (our greeting, the accessibility bus launcher setting its root window property),
        # and a program connecting during that start-over is turned away.
        for _ in range(5):
            number = self._free_display_number()
            proc = self._spawn("xvfb", ["Xvfb", ":%d" % number, "-screen", "0", "1280x1024x24",
                                        "-nolisten", "tcp", "-noreset"], env)
            path = "/tmp/.X11-unix/X%d" % number
            _wait_for(lambda: _answers(path) or proc.poll() is not None, 15,
                      "the display :%d takes no connections (see %s)" % (number, self.folder))
            if proc.poll() is None and _greets_as_x_server(path) and _greets_as_x_server("\0" + path):
                env["DISPLAY"] = ":%d" % number
                return
            self._stop_child("xvfb", proc)
        raise EnvironmentError_("no display number of our own after 5 tries (see %s)" % self.folder)

    @staticmethod
    def _free_display_number():
        for _ in range(100):
            number = random.randint(200, 999)
            if os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists("/tmp/.X11-unix/X%d" % number):
                continue
            if _answers("\0/tmp/.X11-unix/X%d" % number):
                continue
            return number
        raise EnvironmentError_("no free display number")

    def _start_session_bus(self, env):
        proc = self._spawn("dbus-session", ["dbus-daemon", "--session", "--nofork", "--print-address=1",
                                            "--nopidfile"], env, stdout=subprocess.PIPE)
        address = proc.stdout.readline().decode().strip()
        proc.stdout.close()
        if not address:
            raise EnvironmentError_("the session bus did not start")
        env["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_accessibility_bus(self, env):
        # The launcher starts the accessibility bus (a dbus-daemon of its own) and ends it when it ends.
        self._spawn("at-spi-bus", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env)

        def registered():
            r = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                                "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=5)
            return r.returncode == 0 and b"string" in r.stdout
        _wait_for(registered, 15, "the accessibility bus did not start")

    def describe(self):
        """What has become of the daemons, for a failure report."""
        parts = ["%s %s" % (name, "running" if proc.poll() is None else "ended (%s)" % proc.returncode)
                 for name, proc in self._children]
        display = self.env.get("DISPLAY", "")
        if display:
            path = "/tmp/.X11-unix/X" + display[1:]
            parts.append("%s %s" % (path, "answers" if _answers(path) else "does not answer"))
        for name, _ in self._children:
            try:
                with open(os.path.join(self.folder, name + ".log"), errors="replace") as f:
                    tail = f.read()[-1200:].strip()
                if tail and name in ("xvfb", "weston", "pipewire", "wireplumber", "pipewire-pulse"):
                    parts.append("%s log: %s" % (name, tail))
            except OSError:
                pass
        return "; ".join(parts)

    def _stop_child(self, name, proc):
        self._children.remove((name, proc))
        self._end(proc)

    @staticmethod
    def _end(proc):
        if proc.poll() is None:
            proc.send_signal(signal.SIGTERM)
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait(5)

    def stop(self):
        while self._children:
            _, proc = self._children.pop()
            self._end(proc)
        if not self.keep:
            shutil.rmtree(self.folder, ignore_errors=True)
