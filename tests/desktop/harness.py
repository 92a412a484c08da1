"""The operator's desk: orva-control in a real X session, driven by a real
mouse and keyboard and read through the accessibility bus.

Each test file runs as its own process: it starts Xvfb on a free display
(Xvfb picks the number), a private D-Bus session with the AT-SPI bus, and
openbox; then every test case starts its own projector simulator(s) and a
fresh orva-control with throw-away settings.

What counts is what the operator has: the windows the X server has mapped
and their exact titles, the bytes the simulator received, and the controls
a screen reader finds. AT-SPI caches state, so it is used to find controls
and to read text; whether a window is on screen is asked of the X server.
"""

import argparse
import configparser
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import warnings

SCREEN_W, SCREEN_H = 1280, 1024
TWIPS_PER_PIXEL = 15

MAIN_TITLE = "ORVA   QLN40/QLN45/QLN50  CONTROL  Ver.2.0"
DIALOG_TITLE = "  COM PORT"
LIST_TITLE = "Command List"
ERROR_TITLE = "Error"

AT_SPI_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
TOOLS = ["Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "import", "dbus-run-session",
         "dbus-send", "localedef"]

# Generous: the suite also runs under AddressSanitizer on a busy machine.
TIMEOUT = float(os.environ.get("ORVA_DESKTOP_TIMEOUT", "20"))
# Longer than any double-click interval (Qt's default is 400 ms).
PAUSE_AFTER_CLOSE = 1.0

_opts = None  # --bin and --work of this run


# ---------------------------------------------------------------------------
# The session


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, help="directory with orva-control and orva-projector-sim")
    parser.add_argument("--work", required=True, help="directory for logs and screenshots")
    parser.add_argument("--inner", action="store_true", help=argparse.SUPPRESS)
    opts, rest = parser.parse_known_args()
    opts.bin = os.path.abspath(opts.bin)
    opts.work = os.path.abspath(opts.work)
    sys.exit(_run_inner(opts, rest) if opts.inner else _run_outer(opts, rest))


def _run_outer(opts, rest):
    missing = [t for t in TOOLS if not shutil.which(t)]
    if not os.access(AT_SPI_LAUNCHER, os.X_OK):
        missing.append(AT_SPI_LAUNCHER)
    if subprocess.call([sys.executable, "-c", "import pyatspi"], stderr=subprocess.DEVNULL) != 0:
        missing.append("python3-pyatspi")
    if missing:
        print("missing for the desktop suite: " + ", ".join(missing)
              + " (scripts/packages.sh installs them)", file=sys.stderr)
        return 1
    os.makedirs(opts.work, exist_ok=True)
    # A short path of our own: the AT-SPI bus socket lives in it.
    runtime = tempfile.mkdtemp(prefix="orva-desk-")
    xlog = open(os.path.join(opts.work, "xvfb.log"), "w")
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                             f"{SCREEN_W}x{SCREEN_H}x24", "-nolisten", "tcp", "-noreset"],
                            pass_fds=(write_end,), stdout=xlog, stderr=xlog)
    os.close(write_end)
    try:
        display = _read_line(read_end, 30)
        if not display:
            print("Xvfb did not start; see " + xlog.name, file=sys.stderr)
            return 1
        env = dict(os.environ, DISPLAY=":" + display, XDG_RUNTIME_DIR=runtime)
        for var in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY"):
            env.pop(var, None)
        print(f"desktop session on display :{display}", flush=True)
        return subprocess.call(["dbus-run-session", "--", sys.executable, os.path.abspath(sys.argv[0]),
                                "--bin", opts.bin, "--work", opts.work, "--inner", *rest], env=env)
    finally:
        os.close(read_end)
        _stop(xvfb)
        shutil.rmtree(runtime, ignore_errors=True)


def _run_inner(opts, rest):
    global _opts
    _opts = opts
    log = open(os.path.join(opts.work, "session.log"), "w")
    spi = subprocess.Popen([AT_SPI_LAUNCHER, "--launch-immediately"], stdout=log, stderr=log)
    wm = subprocess.Popen(["openbox", "--sm-disable"], stdout=log, stderr=log)
    try:
        if not _poll(lambda: "window id" in _out(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]), 30):
            print("openbox did not start", file=sys.stderr)
            return 1
        if not _poll(lambda: subprocess.call(
                ["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply", "/org/a11y/bus",
                 "org.a11y.Bus.GetAddress"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) == 0, 30):
            print("the accessibility bus did not start", file=sys.stderr)
            return 1
        import pyatspi  # only now: it connects to the bus that was just started
        if not _poll(lambda: pyatspi.Registry.getDesktop(0).childCount >= 0, 30):
            print("the accessibility registry does not answer", file=sys.stderr)
            return 1
        result = unittest.main(module="__main__", argv=[sys.argv[0], *rest], exit=False,
                               verbosity=2).result
        return 0 if result.wasSuccessful() else 1
    finally:
        _stop(wm)
        _stop(spi)


def _read_line(fd, timeout):
    data = b""
    deadline = time.monotonic() + timeout
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            return None
        chunk = os.read(fd, 64)
        if not chunk:
            return None
        data += chunk
    return data.decode().strip()


def _poll(condition, timeout, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = condition()
        except Exception:  # a bus or a window that is not there yet
            value = None
        if value:
            return value
        if time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def _stop(proc, grace=10):
    if proc is None or proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def _out(cmd, timeout=20):
    try:
        return subprocess.run(cmd, capture_output=True, text=True, timeout=timeout).stdout
    except subprocess.TimeoutExpired:
        return ""


def xdo(*args):
    """One xdotool command; fails the test if xdotool does."""
    cmd = ["xdotool", *map(str, args)]
    done = subprocess.run(cmd, capture_output=True, text=True, timeout=30)
    if done.returncode != 0:
        raise AssertionError(f"{' '.join(cmd)} failed: {done.stderr.strip()}")
    return done.stdout


# ---------------------------------------------------------------------------
# The X server's truth


def x_title(wid):
    """The exact _NET_WM_NAME of a window (what the window manager shows)."""
    out = _out(["xprop", "-id", str(wid), "_NET_WM_NAME"])
    start, end = out.find('"'), out.rfind('"')
    if start < 0 or end <= start:
        return None
    raw = out[start + 1:end]
    return raw.replace('\\"', '"').replace("\\\\", "\\")


def x_frame(wid):
    """Outer rectangle (frame included) and the frame extents of a window."""
    info = _out(["xwininfo", "-id", str(wid)])
    vals = {}
    for line in info.splitlines():
        key, _, value = line.strip().partition(":")
        vals[key] = value.strip()
    x, y = int(vals["Absolute upper-left X"]), int(vals["Absolute upper-left Y"])
    w, h = int(vals["Width"]), int(vals["Height"])
    ext = _out(["xprop", "-id", str(wid), "_NET_FRAME_EXTENTS"])
    left = right = top = bottom = 0
    if "=" in ext:
        left, right, top, bottom = (int(v) for v in ext.split("=")[1].split(","))
    return {"x": x - left, "y": y - top, "width": w + left + right, "height": h + top + bottom,
            "client": (x, y, w, h), "extents": (left, right, top, bottom)}


def x_maximisable(wid):
    """Whether the window manager lets the window be maximised."""
    return "MAXIMIZE" in _out(["xprop", "-id", str(wid), "_NET_WM_ALLOWED_ACTIONS"])


def pixels(x, y, width, height):
    """RGB rows of a rectangle of the screen, as the X server has it."""
    ppm = subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                          "-depth", "8", "ppm:-"], capture_output=True, timeout=30, check=True).stdout
    head = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", ppm)
    w, h = int(head.group(1)), int(head.group(2))
    data = ppm[head.end():]
    return [[tuple(data[(r * w + c) * 3:(r * w + c) * 3 + 3]) for c in range(w)] for r in range(h)]


def caption_of(title):
    """The caption part of a title; a suffix the toolkit appends after a dash is
    not part of it (exact titles are a test of their own)."""
    if title is None:
        return None
    return title.split(" \u2014 ")[0]


# ---------------------------------------------------------------------------
# The projector


class Projector:
    """orva-projector-sim on a pty, reached through a symlink; its log is the wire."""

    def __init__(self, directory, name, options=()):
        self.link = os.path.join(directory, name)
        self.log = self.link + ".log"
        self._err = open(self.link + ".stderr", "w")
        self.proc = subprocess.Popen([os.path.join(_opts.bin, "orva-projector-sim"), "--link", self.link,
                                      "--log", self.log, "--quiet", *options],
                                     stdout=subprocess.PIPE, stderr=self._err)
        self.device = _read_line(self.proc.stdout.fileno(), 20)
        if not self.device or not os.path.exists(self.link):
            raise AssertionError(f"the projector simulator did not start ({self._err.name})")

    def frames(self):
        """(monotonic µs, command) for every command received, in order."""
        try:
            with open(self.log, "rb") as f:
                data = f.read().decode("latin-1")
        except FileNotFoundError:
            return []
        out = []
        for line in data.split("\n")[:-1]:  # a line without its newline is still being written
            stamp, _, command = line.partition(" ")
            out.append((int(stamp), command))
        return out

    def commands(self):
        return [c for _, c in self.frames()]

    def stop(self):
        _stop(self.proc)
        self.proc.stdout.close()
        self._err.close()


# ---------------------------------------------------------------------------
# Test cases


class DesktopCase(unittest.TestCase):
    """One case: its own directory, settings, simulators and program."""

    def setUp(self):
        # pyatspi still calls Atspi functions that are deprecated; they work.
        warnings.filterwarnings("ignore", category=DeprecationWarning)
        cls, _, test = self.id().rpartition(".")
        self.dir = os.path.join(_opts.work, cls.rpartition(".")[2], test)
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        self.config_dir = os.path.join(self.dir, "config")
        os.makedirs(self.config_dir)
        self.projectors = []
        self.program = None
        self.program_may_end = False
        self._shots = 0
        self._listeners = []
        # The pointer rests where no window is, so no tooltip covers a button.
        xdo("mousemove", SCREEN_W - 1, SCREEN_H - 1)

    def tearDown(self):
        import pyatspi
        for callback, event in self._listeners:
            pyatspi.Registry.deregisterEventListener(callback, event)
        outcome = getattr(self, "_outcome", None)
        if outcome is not None and not getattr(outcome, "success", True) and self._shots == 0:
            print(f"\n  screenshot at the failure: {self.screenshot('failure')}", file=sys.stderr)
        # Nothing a failed case held down stays down for the next one.
        for button in (1, 3):
            subprocess.run(["xdotool", "mouseup", str(button)], capture_output=True, timeout=30)
        subprocess.run(["xdotool", "keyup", "space"], capture_output=True, timeout=30)
        ended = None
        if self.program is not None:
            ended = self.program.poll()
            _stop(self.program)
            self._out.close()
        for p in self.projectors:
            p.stop()
        if ended is not None and not self.program_may_end:
            self.fail(f"the program ended by itself (status {ended}): {self.program_words()}")

    # -- set-up --------------------------------------------------------------

    def projector(self, name="projector", options=()):
        p = Projector(self.dir, name, options)
        self.projectors.append(p)
        return p

    def write_settings(self, ports, com_port=None, baud=None):
        """Every COM port 1-15 names a device path: those given lead to a
        simulator, the others to nothing, so no real serial port is touched."""
        lines = ["[Ports]"]
        for n in range(1, 16):
            lines.append(f"COM{n}={ports.get(n, os.path.join(self.dir, f'absent-com{n}'))}")
        if com_port is not None or baud is not None:
            lines.append("")
            lines.append("[StartUP]")
            if baud is not None:
                lines.append(f"BaudRate={baud}")
            if com_port is not None:
                lines.append(f"ComPort={com_port}")
        with open(os.path.join(self.config_dir, "ORVA.conf"), "w") as f:
            f.write("\n".join(lines) + "\n")

    def stored(self):
        """The [StartUP] values on disk."""
        parser = configparser.ConfigParser(interpolation=None)
        parser.optionxform = str
        parser.read(os.path.join(self.config_dir, "ORVA.conf"))
        return dict(parser["StartUP"]) if parser.has_section("StartUP") else {}

    def start(self, env=None):
        """Starts orva-control and waits until the accessibility bus knows it."""
        e = {k: v for k, v in os.environ.items()
             if k not in ("QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI",
                          "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_ENABLE_HIGHDPI_SCALING", "QT_STYLE_OVERRIDE",
                          "LC_ALL", "LC_NUMERIC", "LANGUAGE")}
        e.update(QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                 XDG_CONFIG_HOME=self.config_dir, LANG="C.UTF-8")
        e.update(env or {})
        self._out = open(os.path.join(self.dir, "program.log"), "w")
        self.program = subprocess.Popen([os.path.join(_opts.bin, "orva-control")], env=e,
                                        stdout=self._out, stderr=self._out)
        self.app = self.wait_until(self._find_app, "orva-control shows up on the accessibility bus")
        return self.program

    def start_with_port(self, **env):
        """A stored port that opens: the main window comes up without the dialog."""
        self.proj = self.projector()
        self.write_settings({1: self.proj.link}, com_port=1, baud=192)
        self.start(env or None)
        self.main = self.wait_window(MAIN_TITLE)
        return self.proj

    def _find_app(self):
        import pyatspi
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == self.program.pid:
                return app
        self.assert_running()
        return None

    def program_words(self):
        try:
            with open(os.path.join(self.dir, "program.log"), errors="replace") as f:
                words = f.read().strip().splitlines()
        except FileNotFoundError:
            return "(no output)"
        return " | ".join(words[-12:]) or "(no output)"

    def assert_running(self):
        if self.program is not None and self.program.poll() is not None and not self.program_may_end:
            raise AssertionError(f"the program has ended (status {self.program.returncode}): "
                                 f"{self.program_words()}; screenshot {self.screenshot('ended')}")

    # -- waiting -------------------------------------------------------------

    def wait_until(self, condition, what, timeout=TIMEOUT):
        value = _poll(condition, timeout)
        if not value:
            self.assert_running()
            if callable(what):
                what = what()
            raise AssertionError(f"timed out after {timeout:.0f} s waiting until {what}; "
                                 f"screenshot {self.screenshot('timeout')}")
        return value

    def check(self, condition, what):
        if not condition:
            self.assert_running()
            raise AssertionError(f"{what}; screenshot {self.screenshot('check')}")

    def screenshot(self, name):
        self._shots += 1
        path = os.path.join(self.dir, f"{self._shots:02d}-{name}.png")
        subprocess.run(["import", "-window", "root", path], capture_output=True, timeout=30)
        return path

    def quiet(self, seconds=1.5):
        """Lets anything that should not happen have its chance to happen."""
        time.sleep(seconds)

    # -- windows on the X server --------------------------------------------

    def mapped(self):
        """{window id: exact title} of the program's windows the X server shows."""
        if self.program is None:
            return {}
        out = _out(["xdotool", "search", "--onlyvisible", "--pid", str(self.program.pid)])
        windows = {}
        for wid in out.split():
            title = x_title(wid)
            if title is not None:
                windows[int(wid)] = title
        return windows

    def windows_of(self, caption):
        return [w for w, t in self.mapped().items() if caption_of(t) == caption]

    def wait_window(self, caption):
        return self.wait_until(lambda: (self.windows_of(caption) or [None])[-1],
                               lambda: f"a window {caption!r} is on screen (on screen: {self.mapped()})")

    def wait_gone(self, caption):
        self.wait_until(lambda: not self.windows_of(caption),
                        lambda: f"no window {caption!r} is on screen any more (on screen: {self.mapped()})")
        self.hand_moves_on()

    @staticmethod
    def hand_moves_on():
        """The operator's pause between a window closing and the next click.
        A click that follows a closing window closer than a double click's
        two clicks may be taken for the second half of one and be ignored."""
        time.sleep(PAUSE_AFTER_CLOSE)

    @staticmethod
    def focused_window():
        """The window that has the X input focus: the one the last click went to."""
        out = _out(["xdotool", "getwindowfocus"]).strip()
        return int(out) if out.isdigit() else None

    def wait_focus(self, wid, what):
        self.wait_until(lambda: self.focused_window() == wid,
                        lambda: f"{what} (the input focus is on {self.focused_window()}; "
                                f"on screen: {self.mapped()})")

    def window_close(self, wid):
        """Closes a window as the window manager does (openbox: Alt+F4)."""
        self.key(wid, "alt+F4")

    # -- accessibility -------------------------------------------------------

    def acc_window(self, caption):
        """The accessible window of that caption; the newest if several."""
        self.app.clear_cache()
        found = self.wait_until(lambda: [w for w in self.app if w is not None and w.name == caption],
                                f"the accessibility bus shows the window {caption!r}")
        return found[-1]

    def acc_windows(self, caption):
        self.app.clear_cache()
        return [w for w in self.app if w is not None and w.name == caption]

    def find(self, root, name, role="push button"):
        """First descendant of that name and role (breadth first)."""
        def search():
            queue = [root]
            while queue:
                node = queue.pop(0)
                for child in node:
                    if child is None:
                        continue
                    if child.name == name and (role is None or child.getRoleName() == role):
                        return child
                    queue.append(child)
            return None
        return self.wait_until(search, f"{root.name!r} has a {role or 'control'} {name!r}")

    def descendants(self, root):
        out, queue = [], [root]
        while queue:
            node = queue.pop(0)
            for child in node:
                if child is not None:
                    out.append(child)
                    queue.append(child)
        return out

    @staticmethod
    def extents(acc):
        import pyatspi
        e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    @classmethod
    def centre(cls, acc):
        x, y, w, h = cls.extents(acc)
        return x + w // 2, y + h // 2

    @staticmethod
    def text(acc):
        """A field's text, or a label's caption (labels have only their name)."""
        try:
            t = acc.queryText()
        except NotImplementedError:
            acc.clear_cache()
            return acc.name
        return t.getText(0, t.characterCount)

    @classmethod
    def showing(cls, acc):
        return cls.has_state(acc, "STATE_SHOWING")

    @staticmethod
    def has_state(acc, state):
        import pyatspi
        acc.clear_cache()
        return acc.getState().contains(getattr(pyatspi, state))

    @classmethod
    def checked(cls, acc):
        return cls.has_state(acc, "STATE_CHECKED")

    def sibling_after(self, window, label_name):
        """The control after a caption label in its container: the sent line
        after "TxD", the received line after "RxD", the status label after
        "Status"."""
        label = self.find(window, label_name, "label")
        parent = label.parent
        return parent.getChildAtIndex(label.getIndexInParent() + 1)

    def listen(self, event, callback):
        import pyatspi
        pyatspi.Registry.registerEventListener(callback, event)
        self._listeners.append((callback, event))

    @staticmethod
    def pump(seconds):
        from gi.repository import GLib
        context = GLib.MainContext.default()
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            while context.iteration(False):
                pass
            time.sleep(0.01)

    # -- the operator's hands ------------------------------------------------

    def focus(self, acc):
        """Moves the keyboard focus to a control without pressing it, as a
        screen reader's review cursor does."""
        acc.queryComponent().grabFocus()
        self.wait_until(lambda: self.has_state(acc, "STATE_FOCUSED"), f"{acc.name!r} has the keyboard focus")

    def click(self, acc, button=1, repeat=1):
        x, y = self.centre(acc)
        self.click_at(x, y, button, repeat)

    @staticmethod
    def click_at(x, y, button=1, repeat=1):
        xdo("mousemove", x, y)
        xdo("click", "--repeat", repeat, "--delay", 80, button)

    def press(self, acc, button=1):
        x, y = self.centre(acc)
        xdo("mousemove", x, y)
        xdo("mousedown", button)

    @staticmethod
    def release(button=1):
        xdo("mouseup", button)

    def activate(self, wid):
        """Makes a window the active one. A window manager busy with other
        work may refuse the request ("failed request"), so it is asked again
        until it takes it."""
        def attempt():
            done = subprocess.run(["xdotool", "windowactivate", "--sync", str(wid)],
                                  capture_output=True, text=True, timeout=30)
            return done.returncode == 0
        self.wait_until(attempt, f"the window manager makes window {wid} active")

    def key(self, wid, *keys):
        """Keys typed into a window, which is made active first."""
        self.activate(wid)
        xdo("key", "--clearmodifiers", "--delay", 60, *keys)

    def type_text(self, wid, text):
        self.activate(wid)
        xdo("type", "--delay", 60, text)

    # -- the wire ------------------------------------------------------------

    def wait_frames(self, projector, expected, what=None):
        """Waits until the wire holds exactly these commands (after those
        already there when the list was taken)."""
        self.wait_until(lambda: projector.commands() == expected,
                        lambda: f"{what or 'the wire holds'} {expected} (it holds {projector.commands()})")

    def click_sends(self, acc, projector, command):
        """Clicks a button and waits for its frame; nothing else may go out."""
        before = projector.commands()
        self.click(acc)
        self.wait_until(lambda: len(projector.commands()) > len(before),
                        lambda: f"{acc.name!r} puts {command!r} on the wire (the wire: {projector.commands()[-5:]})")
        self.quiet(0.2)
        self.assertEqual(projector.commands()[len(before):], [command], f"frames sent by {acc.name!r}")
