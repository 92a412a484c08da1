#!/usr/bin/python3
"""Smoke test of orva-projector-sim on a real pseudo-terminal: every read,
every fault option, reopening, the log, the link and a clean stop.

    tests/sim/smoke.py path/to/orva-projector-sim

Standard library only. Exit status 0 when all checks pass (CTest runs it as
sim.smoke)."""
import atexit, fcntl, os, select, shutil, subprocess, sys, tempfile, termios, time

if len(sys.argv) != 2 or not os.access(sys.argv[1], os.X_OK):
    sys.exit(f"usage: {sys.argv[0]} path/to/orva-projector-sim")
SIM = sys.argv[1]
failures = 0

def check(ok, what, detail=""):
    global failures
    print(("ok   " if ok else "FAIL ") + what + ("" if ok else f"  ({detail})"))
    failures += not ok

running = []
work = tempfile.mkdtemp(prefix="orva-sim-smoke-")

@atexit.register
def clean_up():
    """No simulator nor file outlives the test, whatever check failed."""
    for p in running:
        if p.poll() is None:
            p.kill()
            p.wait()
    shutil.rmtree(work, ignore_errors=True)

class Sim:
    def __init__(self, *args):
        self.p = subprocess.Popen([SIM, "--quiet", *args], stdout=subprocess.PIPE, text=True)
        running.append(self.p)
        self.dev = self.p.stdout.readline().strip()
    def stop(self):
        if self.p.poll() is None:
            self.p.terminate()
        return self.p.wait(5)

def open_line(dev, exclusive=False):
    fd = os.open(dev, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
    if exclusive:
        fcntl.ioctl(fd, termios.TIOCEXCL)
    return fd

def receive(fd, seconds, until=None):
    """Pieces (ms after start, bytes) for `seconds`, or until `until` bytes came."""
    start = time.monotonic(); pieces = []; got = b""
    while True:
        left = start + seconds - time.monotonic()
        if left <= 0 or (until is not None and len(got) >= until):
            return got, pieces
        if not select.select([fd], [], [], left)[0]:
            continue
        try:
            data = os.read(fd, 4096)
        except OSError:
            data = b""
        if not data:
            pieces.append((round((time.monotonic() - start) * 1000), b"<hang-up>"))
            return got, pieces
        pieces.append((round((time.monotonic() - start) * 1000), data)); got += data

def ask(fd, command, seconds=0.5, until=None):
    os.write(fd, command)
    return receive(fd, seconds, until)

# -- replies, link, log, stop -------------------------------------------------
link, log = os.path.join(work, "projector"), os.path.join(work, "commands.log")
s = Sim("--link", link, "--log", log, "--count-down", "300", "--cool-down", "300")
check(s.dev.startswith("/dev/"), "prints the device path", s.dev)
check(os.path.realpath(link) == s.dev, "--link points at the device")
fd = open_line(link)
expected = [(b"CR0\r", b"80\r"), (b"CR1\r", b"1\r"), (b"CR3\r", b"00123\r"), (b"CR4\r", b"11\r"),
            (b"CR LAMPSTS\r", b"000 1O\r"), (b"CR7\r", b"000 NORMAL\r"),
            (b"CR LAMPMODE\r", b"000 NORMAL\r"), (b"cr0\r", b"?\r"), (b"C00\r", b"\x06\r"),
            (b"CR0\r\n", b"40\r")]
for command, reply in expected:
    got, _ = ask(fd, command, until=len(reply))
    check(got == reply, f"{command!r} -> {reply!r}", got)
got, _ = ask(fd, b"CR6\r", until=18)
check(len(got) == 18 and got[5:6] == b" " and got[11:12] == b" " and got.endswith(b"\r"),
      "CR6 -> three fields of five, 18 bytes", got)
time.sleep(0.4)
got, _ = ask(fd, b"CR0\r", until=3)
check(got == b"00\r", "on after the count down", got)
got, _ = ask(fd, b"\r", 0.3)
check(got == b"", "an empty line gets no reply", got)
os.close(fd)
lines = open(log).read().splitlines()
check(len(lines) == len(expected) + 3 and lines[0].split(" ", 1)[1] == "CR0"
      and all(l.split(" ")[0].isdigit() for l in lines), "--log has one stamped line a command", lines[:3])
check(s.stop() == 0, "SIGTERM ends it with status 0")
check(not os.path.lexists(link), "--link is removed at exit")

# -- faults -------------------------------------------------------------------
s = Sim("--delay", "300"); fd = open_line(s.dev)
got, pieces = ask(fd, b"CR0\r", 1.0, until=3)
check(got == b"80\r" and pieces[0][0] >= 280, "--delay 300", pieces); s.stop()

s = Sim("--split", "2", "--gap", "50"); fd = open_line(s.dev)
got, pieces = ask(fd, b"CR LAMPSTS\r", 1.0, until=7)
check(got == b"000 1O\r" and len(pieces) == 4 and pieces[-1][0] >= 140, "--split 2 --gap 50", pieces); s.stop()

s = Sim("--no-reply"); fd = open_line(s.dev)
got, _ = ask(fd, b"CR0\r", 1.2)
check(got == b"", "--no-reply", got); s.stop()

s = Sim("--late", "1500"); fd = open_line(s.dev)
got, pieces = ask(fd, b"CR0\r", 2.0, until=3)
check(got == b"80\r" and pieces[0][0] >= 1450, "--late 1500", pieces); s.stop()

noise = []
for _ in range(2):
    s = Sim("--garbage", "4"); fd = open_line(s.dev)
    got, _ = ask(fd, b"CR0\r", until=7)
    noise.append(got); s.stop()
check(len(noise[0]) == 7 and noise[0].endswith(b"80\r")
      and all(c < 0x20 or c >= 0x7F for c in noise[0][:4])
      and not any(c in (0x06, 0x0A, 0x0D) for c in noise[0][:4]), "--garbage 4", noise[0])
check(noise[0] == noise[1], "--garbage is the same from run to run", noise)

s = Sim("--hangup-after", "2"); fd = open_line(s.dev)
got, _ = ask(fd, b"CR0\r", until=3)
got, pieces = ask(fd, b"CR1\r", 1.0)
check(pieces and pieces[-1][1] == b"<hang-up>" and b"1\r" not in got, "--hangup-after 2 hangs up unanswered", pieces)
check(s.p.wait(2) == 0, "and exits with status 0")

s = Sim("--stream", "1000"); fd = open_line(s.dev)
got, pieces = receive(fd, 1.0)
check(800 <= len(got) <= 1200 and all(0x20 <= c < 0x7F for c in got) and len(pieces) > 20,
      "--stream 1000: about 1000 printable bytes a second in pieces", (len(got), len(pieces)))
got, _ = ask(fd, b"CR0\r", 0.3)
check(b"80\r" in got, "and replies still come through it"); s.stop()

# -- clients come and go -------------------------------------------------------
s = Sim("--delay", "100")
# (the simulator clears the line when it sees the close: give it a moment)
fd = open_line(s.dev); os.write(fd, b"CR0\r"); time.sleep(0.3); os.close(fd); time.sleep(0.05)
fd = open_line(s.dev); got, _ = receive(fd, 0.3); os.close(fd)
check(got == b"", "a reply left unread is not handed to the next client", got)
fd = open_line(s.dev); os.write(fd, b"CR1\r"); os.close(fd); time.sleep(0.3)
fd = open_line(s.dev); got, _ = receive(fd, 0.3)
check(got == b"", "a reply due after the client closed is dropped", got)
got, _ = ask(fd, b"CR0\r", until=3)
check(got == b"80\r", "a reopened line is answered", got); os.close(fd)
fd = open_line(s.dev, exclusive=True)
got, _ = ask(fd, b"CR0\r", until=3)
check(got == b"80\r", "a client holding the line exclusively is answered", got)
os.close(fd)  # without clearing the exclusive flag
if os.geteuid() == 0:
    os.chmod(s.dev, 0o666)
    r = subprocess.run(["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", sys.executable, "-c",
                        f"import os; os.close(os.open({s.dev!r}, os.O_RDWR | os.O_NOCTTY))"],
                       capture_output=True, text=True)
    check(r.returncode == 0, "an exclusive flag left behind does not lock the next client out", r.stderr[-80:])
else:
    fd = open_line(s.dev); os.close(fd)
    check(True, "an exclusive flag left behind does not lock the next client out")
s.stop()

# -- line speed -----------------------------------------------------------------
speed = os.path.join(work, "speed")
s = Sim("--speed-file", speed)
check(open(speed).read() == "19200\n", "--speed-file starts at 19200", open(speed).read())
fd = open_line(s.dev)
attrs = termios.tcgetattr(fd); attrs[4] = attrs[5] = termios.B9600
termios.tcsetattr(fd, termios.TCSANOW, attrs)
got, _ = ask(fd, b"CR0\r", until=3)
check(open(speed).read() == "9600\n", "--speed-file follows the speed a client sets", open(speed).read())
os.close(fd); s.stop()

# -- conditions: options, then a state file that comes, changes and goes --------
state = os.path.join(work, "state")
s = Sim("--fault", "temperature", "--state-file", state); fd = open_line(s.dev)
seen = []
for content in (None, "fault=lamp\nlamp-off\n", "sensors-unreadable\n", "fault=fire\n", None):
    if content is None:
        if os.path.exists(state): os.remove(state)
    else:
        with open(state + ".new", "w") as f: f.write(content)
        os.rename(state + ".new", state)
    seen.append(tuple(ask(fd, c, until=3)[0] for c in (b"CR0\r", b"CR LAMPSTS\r", b"CR6\r")))
os.close(fd); s.stop()
check([r[:2] for r in seen] == [(b"88\r", b"000 1O\r"), (b"81\r", b"000 1X\r"), (b"80\r", b"000 1O\r"),
                                 (b"80\r", b"000 1O\r"), (b"88\r", b"000 1O\r")]
      and seen[2][2] == b"----- ----- -----\r" and seen[3][2] == seen[2][2] and b"." in seen[4][2],
      "--fault and --state-file: the file while it exists, a broken one changes nothing", seen)

print("all passed" if failures == 0 else f"{failures} failed")
sys.exit(1 if failures else 0)
