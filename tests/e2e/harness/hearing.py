"""What the listener hears: the sound server's monitor recorded in real time and cut into the tone's
halves, each measured (frequency, level, length); and the ear that decides whether a half was heard.

Levels are in dB on the listener's own hearing scale: 0 dB is a sine of peak 100 (RMS 70.7) reaching
the ear, the loudness the data stream plays at level 0 with the calibration volume at 100 %. What
comes out of the computer reaches the ear through the sound card's mixer, whose gain the listener sets
once while the calibration tone (1 kHz at 12 dB) plays, as the program asks."""

import math
import os
import subprocess
import threading
import time

import numpy as np

RATE = 44100
# 20 ms: a window of the lowest test tone (75 Hz) holds 1.5 periods, so its level wobbles with the
# tone's phase by less than half a dB.
WINDOW = 882
REFERENCE_RMS = 100 / math.sqrt(2)

# The test's frequency scale: measured tones are read as the nearest of these.
SCALE_HZ = [75, 125, 175, 250, 375, 500, 625, 750, 875, 1000, 1250, 1500, 1750, 2000, 2500, 3000, 3500,
            4000, 5000, 6000, 7000, 8000, 9000, 10000, 11000, 12000, 14000, 16000, 18000, 20000]


def nearest_scale_hz(hz):
    if not hz or hz <= 0:
        return None
    best = min(SCALE_HZ, key=lambda f: abs(math.log(hz / f)))
    # Further than a fifth of the way to a neighbour on the scale: not a test tone.
    return best if abs(math.log(hz / best)) < 0.12 else None


def level_db(rms, gain=1.0):
    if rms <= 0:
        return -math.inf
    return 20 * math.log10(rms * gain / REFERENCE_RMS)


def tone_hz(samples):
    """The strongest frequency of `samples`, from a windowed spectrum refined between its bins."""
    n = len(samples)
    if n < 64:
        return None
    x = (samples - samples.mean()) * np.hanning(n)
    size = 1 << max(14, (n - 1).bit_length() + 2)
    spectrum = np.abs(np.fft.rfft(x, size))
    k = int(np.argmax(spectrum[1:])) + 1
    if k + 1 >= len(spectrum):
        return k * RATE / size
    a, b, c = (math.log(max(v, 1e-12)) for v in spectrum[k - 1:k + 2])
    offset = 0.5 * (a - c) / (a - 2 * b + c) if (a - 2 * b + c) != 0 else 0
    return (k + offset) * RATE / size


class Recorder:
    """parec on the default sink's monitor, 16-bit stereo at 44100 Hz. A reader thread collects the
    frames; `take()` hands the new ones to the listener with the moment the first of them was played."""

    def __init__(self, env, folder):
        self.env = env
        self.path = os.path.join(folder, "monitor.raw")
        self._file = open(self.path, "wb")
        self._lock = threading.Lock()
        self._pending = []
        self._frames_total = 0
        self._clock_offset = None  # played-at = offset + frame / RATE (the smallest seen: the least delay)
        self._proc = None
        self._thread = None
        self.error = None

    def start(self, timeout=5):
        self._proc = subprocess.Popen(
            ["parec", "-d", "@DEFAULT_MONITOR@", "--raw", "--format=s16le", "--rate=%d" % RATE,
             "--channels=2", "--latency-msec=10"], env=self.env, stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, bufsize=0)
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()
        deadline = time.monotonic() + timeout
        while self._frames_total < WINDOW and time.monotonic() < deadline:
            if self._proc.poll() is not None:
                break
            time.sleep(0.01)
        if self._frames_total < WINDOW:
            self.stop()
            raise RuntimeError("the sound server's monitor gives no recording: %s" % (self.error or ""))

    def _read(self):
        leftover = b""
        try:
            while True:
                chunk = self._proc.stdout.read(4 * WINDOW)
                if not chunk:
                    break
                now = time.monotonic()
                self._file.write(chunk)
                data = leftover + chunk
                usable = len(data) - len(data) % 4
                leftover = data[usable:]
                frames = np.frombuffer(data[:usable], dtype="<i2").reshape(-1, 2)
                with self._lock:
                    self._frames_total += len(frames)
                    offset = now - self._frames_total / RATE
                    if self._clock_offset is None or offset < self._clock_offset:
                        self._clock_offset = offset
                    self._pending.append(frames)
        except Exception as e:  # the pipe closed under us at the end
            self.error = str(e)

    def take(self):
        """(frames as an (n, 2) int16 array, played-at clock of the first frame's position)."""
        with self._lock:
            pending, self._pending = self._pending, []
        if not pending:
            return np.zeros((0, 2), dtype=np.int16)
        return np.concatenate(pending)

    def played_at(self, frame):
        with self._lock:
            return (self._clock_offset or 0) + frame / RATE

    def stop(self):
        if self._proc is not None and self._proc.poll() is None:
            self._proc.terminate()
            try:
                self._proc.wait(5)
            except subprocess.TimeoutExpired:
                self._proc.kill()
                self._proc.wait()
        if self._thread is not None:
            self._thread.join(5)
        self._file.close()


class Half:
    """One stretch of the recording at one level: a sounding or a pause half of the pulse, a data
    stream burst, or a silence."""

    def __init__(self, start):
        self.start = start  # frame
        self.end = start
        self.windows = 0
        self.silent = True
        self.squares = []  # each window's sum of squares
        self.crossings = []  # each window's sign changes: twice the periods it holds
        self.samples = []
        self.hz = None
        self.heard_by = None
        self.judged_windows = 0

    @property
    def frames(self):
        return self.end - self.start

    @property
    def ms(self):
        return 1000 * self.frames / RATE

    @property
    def rms(self):
        """Its level, without its first window: that one may hold the end of what came before."""
        squares = self.squares[1:] if len(self.squares) >= 3 else self.squares
        return math.sqrt(sum(squares) / max(1, WINDOW * len(squares)))

    def measure_hz(self):
        if self.silent:
            return None
        self.hz = tone_hz(np.concatenate(self.samples).astype(np.float64))
        return self.hz


class ChannelAnalyser:
    """Cuts one channel into halves of steady level and frequency: a window joins the open half while
    its level lies within `tolerance_db` of the half's and its zero crossings come at the half's rate. Where the level changes, the window holding the change joins
    one side or starts a short half of its own, which the listener ignores. Silence is digital
    silence: what the sink plays when nothing sounds."""

    def __init__(self, tolerance_db=1.0):
        self.tolerance_db = tolerance_db
        self.frame = 0
        self.carry = np.zeros(0, dtype=np.int16)
        self.open = None
        self.gaps = []  # short silences inside sound: (frame, length) where the sink ran dry
        self._last_loud = None  # frame after the last non-zero sample

    def feed(self, samples):
        """Feeds new samples; returns the halves finished by them."""
        finished = []
        self._find_gaps(samples)
        data = np.concatenate([self.carry, samples]) if len(self.carry) else samples
        whole = len(data) - len(data) % WINDOW
        self.carry = data[whole:]
        for i in range(0, whole, WINDOW):
            w = data[i:i + WINDOW].astype(np.float64)
            square = float(np.dot(w, w))
            silent = not np.any(w)
            crossings = int(np.count_nonzero(np.diff(np.signbit(w))))
            half = self.open
            if half is None or not self._joins(half, silent, square, crossings):
                if half is not None:
                    finished.append(self._close(half))
                half = self.open = Half(self.frame)
                half.silent = silent
            half.end = self.frame + WINDOW
            half.squares.append(square)
            half.crossings.append(crossings)
            half.windows += 1
            if not silent:
                half.samples.append(w)
            self.frame += WINDOW
        return finished

    def _joins(self, half, silent, square, crossings):
        if half.silent or silent:
            return half.silent and silent
        mean = sum(half.squares) / len(half.squares)
        if abs(10 * math.log10(square / mean)) > self.tolerance_db:
            return False
        # The same level at another frequency is another tone: the test's frequency steps change the
        # rate of zero crossings by 12 % and more. (The step from 125 to 75 Hz, 5 against 3 crossings
        # in a window, is too small to tell from a window's own wobble.)
        rate = sum(half.crossings) / len(half.crossings)
        return abs(crossings - rate) <= max(2.5, 0.08 * rate)

    def _close(self, half):
        half.measure_hz()
        half.samples = []  # measured: the samples are no longer needed
        self.open = None
        return half

    def _find_gaps(self, samples):
        """Silences of 2 to 150 ms between sounds. The program's own silences are longer (a pause half,
        the data stream's 500 ms between bursts) and the zero crossings of a tone shorter: such a gap is
        the sound server playing silence because nothing reached it in time."""
        base = self.frame + len(self.carry)
        loud = np.flatnonzero(samples)
        if len(loud) == 0:
            return
        positions = loud + base
        if self._last_loud is not None:
            positions = np.concatenate([[self._last_loud - 1], positions])
        steps = np.diff(positions)
        for k in np.flatnonzero((steps > 2 * RATE // 1000) & (steps < 150 * RATE // 1000)):
            self.gaps.append((int(positions[k]) + 1, int(steps[k]) - 1))
        self._last_loud = int(positions[-1]) + 1

    def steady(self, min_windows):
        """The open half when it has sounded at one level for `min_windows` windows, with its frequency."""
        half = self.open
        if half is None or half.silent or half.windows < min_windows:
            return None
        return half


class Ear:
    """One ear: its audiogram (threshold in dB per scale frequency) and the mixer gain before it."""

    def __init__(self, name, audiogram):
        self.name = name
        self.audiogram = dict(audiogram)
        self.gain = 1.0

    def threshold(self, hz):
        return self.audiogram.get(hz)

    def hears(self, hz, rms):
        """A tone is heard when it reaches the threshold. The level scale's steps are 2 dB and the
        chip's steps 0.75 dB, so a tone within half a step below the threshold counts as reaching it."""
        threshold = self.threshold(hz)
        return threshold is not None and level_db(rms, self.gain) >= threshold - 1.0
