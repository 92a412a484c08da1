#!/usr/bin/python3
"""orva-pjlinkd end to end, seen by a PJLink client of its own (this file,
standard library only): in front of orva-projector-sim directly (with a
password) and through ser2net's RFC 2217 port (without), many clients at
once, hostile peers, a lost line, SIGHUP, SIGTERM, and refused configuration
files. Peers use loopback addresses of their own (127.0.0.x): the bridge
counts connections and failures per source.

    tests/pjlink/pjlink_e2e.py path/to/orva-pjlinkd path/to/orva-projector-sim path/to/orva-ctl

Exit status 0 when all checks pass (CTest runs it as pjlink.e2e)."""
import atexit, hashlib, os, re, shutil, signal, socket, struct, subprocess, sys, tempfile, threading, time

from e2e_ports import free_port

if len(sys.argv) != 4:
    sys.exit(f"usage: {sys.argv[0]} path/to/orva-pjlinkd path/to/orva-projector-sim path/to/orva-ctl")
DAEMON, SIM, CTL = sys.argv[1], sys.argv[2], sys.argv[3]
failures = 0
work = tempfile.mkdtemp(prefix="orva-pjlink-e2e-")
running = []


def check(ok, what, detail=""):
    global failures
    print(("ok   " if ok else "FAIL ") + what + ("" if ok else f"  ({detail})"), flush=True)
    failures += not ok


@atexit.register
def clean_up():
    for p in running:
        if p.poll() is None:
            p.kill()
            p.wait()
    shutil.rmtree(work, ignore_errors=True)


def wait_for(condition, seconds=20.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.05)
    return condition()


def start(args, **kw):
    p = subprocess.Popen(args, **kw)
    running.append(p)
    return p


def simulator(link):
    return start([SIM, "--quiet", "--link", link, "--count-down", "300", "--cool-down", "300",
                  "--state-file", link + ".state"], stdout=subprocess.DEVNULL)


def projector_reports(link, content):
    """The simulator behind `link` reports `content` (its state file) from its next command on; None: as usual."""
    if content is None:
        os.remove(link + ".state")
        return
    with open(link + ".state.new", "w") as f:
        f.write(content)
    os.rename(link + ".state.new", link + ".state")


class Client:
    """A PJLink class 1 client: lines end in CR; the first command carries
    the MD5 of the greeting's random number and the password."""

    def __init__(self, port, password=None, source="127.0.0.1"):
        self.s = socket.create_connection(("127.0.0.1", port), timeout=20, source_address=(source, 0))
        self.buf = b""
        self.greeting = self.line()
        self.prefix = ""
        if password is not None and self.greeting.startswith("PJLINK 1 "):
            self.prefix = hashlib.md5((self.greeting[9:] + password).encode()).hexdigest()

    def line(self):
        while b"\r" not in self.buf:
            piece = self.s.recv(512)
            if not piece:
                return None  # closed
            self.buf += piece
        text, _, self.buf = self.buf.partition(b"\r")
        return text.decode("latin-1")

    def ask(self, command):
        self.s.sendall((self.prefix + command + "\r").encode("latin-1"))
        self.prefix = ""
        return self.line()

    def value(self, command):
        """The answer after the '=', checking it names the command asked."""
        answer = self.ask(command)
        head = command[:6] + "="
        if answer is None or not answer.startswith(head):
            return f"<{answer!r} to {command!r}>"
        return answer[len(head):]

    def close(self):
        self.s.close()


def accepts(port):
    try:
        socket.create_connection(("127.0.0.1", port), timeout=1).close()
        return True
    except OSError:
        return False


# ---------------------------------------------------------------- the lines
direct_link = os.path.join(work, "direct")
served_link = os.path.join(work, "served")
sim_direct = simulator(direct_link)
sim_served = simulator(served_link)
check(wait_for(lambda: os.path.exists(direct_link) and os.path.exists(served_link)), "simulators started")

ser2net = shutil.which("ser2net", path="/usr/sbin:/usr/bin:/sbin:/bin")
ser_port = free_port()
with open(os.path.join(work, "ser2net.yaml"), "w") as f:
    f.write(f"connection: &projector\n  accepter: telnet(rfc2217),tcp,127.0.0.1,{ser_port}\n"
            f"  connector: serialdev,{os.path.realpath(served_link)},19200n81,local\n")
check(ser2net is not None, "ser2net is installed")
ser = start([ser2net, "-n", "-u", "-c", os.path.join(work, "ser2net.yaml"), "-P", os.path.join(work, "s.pid")],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
check(wait_for(lambda: accepts(ser_port)), "ser2net listens")

# ---------------------------------------------------------------- the daemon
p_direct, p_served = free_port(), free_port()
conf = os.path.join(work, "pjlinkd.conf")
metrics_port = free_port()


def write_conf(served_name):
    with open(conf, "w") as f:
        f.write(f"""; two projectors
[direct]
target={direct_link}   ; the pty itself
listen=127.0.0.1:{p_direct}
password=se,cret
name=Hall A
model=QLN50

[served]
target=rfc2217://127.0.0.1:{ser_port}
baud=19200
listen=127.0.0.1:{p_served}
name={served_name}

[metrics]
listen=127.0.0.1:{metrics_port}
""")


write_conf("Hall B")
log_path = os.path.join(work, "daemon.log")
log = open(log_path, "w")
# systemd's side of Type=notify: a datagram socket named by NOTIFY_SOCKET.
notify = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
notify.bind(os.path.join(work, "notify"))
notify.settimeout(20)
daemon = start([DAEMON, "--config", conf], stderr=log, env=dict(os.environ, NOTIFY_SOCKET=os.path.join(work, "notify")))
check(wait_for(lambda: accepts(p_direct) and accepts(p_served)), "the bridge listens for both projectors")


def notified():
    try:
        return notify.recv(256).decode()
    except OSError:
        return None


check(notified() == "READY=1", "tells systemd it is ready")


def journal():
    with open(log_path) as f:
        return f.read()


# ------------------------------------------------------- with the password
wrong = Client(p_direct, "not the password", "127.0.0.20")
check(re.fullmatch(r"PJLINK 1 [0-9a-f]{8}", wrong.greeting or "") is not None, "greeting asks for authentication",
      wrong.greeting)
check(wrong.ask("%1POWR ?") == "PJLINK ERRA" and wrong.line() is None, "a wrong digest: ERRA and closed")
bare = Client(p_direct, source="127.0.0.20")
check(bare.ask("%1POWR ?") == "PJLINK ERRA", "no digest at all: ERRA")
check(wait_for(lambda: "authentication failed for 127.0.0.20" in journal(), 5)
      and journal().count("authentication failed") == 1, "the first failure has a journal line, the next are counted")

a = Client(p_direct, "se,cret")
check(a.value("%1POWR ?") == "0", "POWR ? in stand-by")
check(a.value("%1INPT 11") == "ERR3", "an input in stand-by: ERR3")
check(a.value("%1POWR 1") == "OK", "POWR 1")
check(wait_for(lambda: a.value("%1POWR ?") == "1", 10), "warms up and is on")
for command, pattern in [("%1INPT 21", "OK"), ("%1INPT ?", "21"), ("%1INST ?", "11 12 21"),
                         ("%1LAMP ?", r"\d+ 1"), ("%1ERST ?", "000000"), ("%1AVMT 31", "OK"),
                         ("%1AVMT ?", "31"), ("%1NAME ?", "Hall A"), ("%1INF1 ?", "ORVA"),
                         ("%1INF2 ?", "QLN50"), ("%1CLSS ?", "1"), ("%1SVER ?", "ERR1"),
                         ("%1POWR 5", "ERR2"), ("%1NAME " + "x" * 200, "ERR2"), ("%1POWR ?", "1")]:
    got = a.value(command)
    check(re.fullmatch(pattern, got) is not None, f"{command[:20]} -> {pattern}", got)

# What the projector reports when something goes wrong, as ERST, LAMP and POWR tell it (the lamp fails last: it
# cools the projector down).
for content, wanted in [("fault=temperature\n", {"%1ERST ?": "002000"}),
                        ("fault=power\n", {"%1ERST ?": "000002", "%1POWR ?": "ERR4"}),
                        ("lamp-off\n", {"%1ERST ?": "000000", "%1POWR ?": "1", "%1LAMP ?": r"\d+ 0"}),
                        ("sensors-unreadable\n", {"%1ERST ?": "000000", "%1LAMP ?": r"\d+ 1"}),
                        ("fault=lamp\n", {"%1ERST ?": "020000", "%1LAMP ?": r"\d+ 0"}),
                        (None, {"%1ERST ?": "000000"})]:
    projector_reports(direct_link, content)
    got = {command: a.value(command) for command in wanted}
    check(all(re.fullmatch(p, got[c]) for c, p in wanted.items()), f"the projector reports {content!r}", got)
check(wait_for(lambda: a.value("%1POWR ?") == "0", 10) and a.value("%1POWR 1") == "OK"
      and wait_for(lambda: a.value("%1POWR ?") == "1", 10), "cooled down to stand-by, then on again after the lamp")

held = subprocess.run([CTL, "status", "--port", direct_link], capture_output=True, text=True, timeout=20)
check(held.returncode == 2 and "held by another program: orva-pjlinkd (PID" in held.stderr,
      "the held line names orva-pjlinkd to orva-ctl", held.stderr)

# --------------------------------------------- without, through ser2net
b = Client(p_served)
check(b.greeting == "PJLINK 0", "no password: PJLINK 0", b.greeting)
check(b.value("%1POWR ?") == "0" and b.value("%1INPT ?") == "11", "read through RFC 2217")
check(b.value("%1POWR 1") == "OK" and wait_for(lambda: b.value("%1POWR ?") == "1", 10), "powered on through RFC 2217")

# ------------------------------------------------- many clients at once
def poller(port, password, rounds, bad, source):
    try:
        c = Client(port, password, source)
        for i in range(rounds):
            for command, pattern in (("%1POWR ?", r"1"), ("%1LAMP ?", r"\d+ 1"), ("%1INPT ?", r"\d\d")):
                got = c.value(command)
                if re.fullmatch(pattern, got) is None:
                    bad.append(f"{command}: {got}")
        c.close()
    except OSError as e:
        bad.append(str(e))


bad = []
threads = [threading.Thread(target=poller, args=(p_direct if i % 2 else p_served, "se,cret" if i % 2 else None, 3, bad,
                                                 f"127.0.0.{2 + i % 8}"))
           for i in range(64)]
for t in threads:
    t.start()
for t in threads:
    t.join(120)
check(not bad and not any(t.is_alive() for t in threads), "64 clients at once: every answer is its own", bad[:3])

# ------------------------------------------------------- hostile peers
def connect(port, source, timeout=20):
    return socket.create_connection(("127.0.0.1", port), timeout=timeout, source_address=(source, 0))


def transactions():
    import urllib.request
    text = urllib.request.urlopen(f"http://127.0.0.1:{metrics_port}/metrics", timeout=20).read().decode()
    return sum(float(l.split()[-1]) for l in text.splitlines() if l.startswith("orva_transactions_total{"))


def burst():
    """20,000 pipelined lines in one write: answered or let go; the others still served."""
    s = connect(p_served, "127.0.0.12")
    try:
        s.recv(64)
        s.sendall(b"%1CLSS ?\r" * 20000)
        while s.recv(65536):
            pass
    except OSError:
        pass
    return daemon.poll() is None and Client(p_served, source="127.0.0.13").value("%1CLSS ?") == "1", daemon.poll()


def hog():
    """256 connections from one source: capped; another source is still greeted, and the log summarises."""
    refusals, held, greeted = journal().count("refused"), [], 0
    for _ in range(256):
        try:
            held.append(connect(p_served, "127.0.0.9", 2))
            greeted += held[-1].recv(64).startswith(b"PJLINK")
        except OSError:
            pass
    ok = Client(p_served, source="127.0.0.14").value("%1POWR ?") == "1" \
        and Client(p_direct, "se,cret", "127.0.0.14").value("%1POWR ?") == "1"
    for h in held:
        h.close()
    lines = journal().count("refused") - refusals
    return ok and greeted <= 64 and 1 <= lines <= 3, f"{greeted} greeted, {lines} log lines"


def drip(first, result):
    """A byte every 2 s (a NUL, a LF, half a line) keeps nothing open: closed by the deadline or the idle close."""
    c = Client(p_served, source="127.0.0.10")
    if first:
        c.value("%1CLSS ?")
    c.s.settimeout(2)
    started = time.monotonic()
    for piece in [b"\0", b"\n", b"%1PO"] * 20:
        try:
            c.s.sendall(piece)
            if c.s.recv(64) == b"":
                break
        except socket.timeout:
            pass
        except OSError:
            break
    took = time.monotonic() - started
    result[first] = (25 if first else 8) < took < (50 if first else 25), f"closed after {took:.1f} s"


def erst_cycles():
    """500 connect / ERST ? / close: the reads of clients that have gone do not reach the line."""
    before = transactions()
    for _ in range(500):
        s = connect(p_served, "127.0.0.15")
        s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))  # gone: reset
        s.sendall(b"%1ERST ?\r")
        s.close()
    answer = Client(p_served, source="127.0.0.16").value("%1POWR ?")
    return answer == "1" and transactions() - before < 200, f"{answer}, {transactions() - before:.0f} transactions"


def guessing():
    """Wrong digests from one source are slowed; the right password from another is not."""
    answered, started = 0, time.monotonic()
    while time.monotonic() - started < 8:
        answered += Client(p_direct, "guess", "127.0.0.11").ask("%1POWR ?") == "PJLINK ERRA"
    right = Client(p_direct, "se,cret", "127.0.0.17").value("%1POWR ?")
    return answered <= 6 and right == "1", f"{answered} guesses answered in 8 s"


def replay():
    """A recorded greeting and digest do not open another connection; greetings never repeat."""
    c = Client(p_direct, "se,cret", "127.0.0.18")
    recorded = c.prefix
    c.value("%1CLSS ?")
    randoms = set()
    for _ in range(2000):
        with connect(p_direct, "127.0.0.19") as s:
            randoms.add(s.recv(64))
    refused = Client(p_direct, source="127.0.0.18").ask(recorded + "%1POWR 1") == "PJLINK ERRA"
    return refused and len(randoms) == 2000, f"refused {refused}, {len(randoms)} distinct of 2000"


def half_closed():
    """A client that shuts down its side after its command still gets the answer."""
    with connect(p_served, "127.0.0.21") as s:
        s.recv(64)
        s.sendall(b"%1POWR ?\r")
        s.shutdown(socket.SHUT_WR)
        got = s.recv(64)
    return got == b"%1POWR=1\r", got


dripped = {}
drippers = [threading.Thread(target=drip, args=(first, dripped)) for first in (False, True)]
for t in drippers:
    t.start()
for case in (burst, hog, erst_cycles, guessing, replay, half_closed):
    try:
        ok, detail = case()
    except OSError as e:
        ok, detail = False, e
    check(ok, case.__doc__, detail)
for t in drippers:
    t.join(90)
for first in (False, True):
    ok, detail = dripped.get(first, (False, "no result"))
    check(ok, drip.__doc__ + (" (after a command)" if first else ""), detail)
check(daemon.poll() is None and 0 < journal().count("authentication failed") < 10,
      "failures are summarised in the journal", journal().count("authentication failed"))
a.close()  # idle for longer than the idle close meanwhile
a = Client(p_direct, "se,cret")

# ----------------------------------------------------------- a lost line
sim_direct.terminate()
sim_direct.wait(10)
check(wait_for(lambda: "direct: line" in journal() and "lost" in journal(), 10), "the lost line is in the journal")
started = time.monotonic()
check(a.value("%1POWR ?") == "ERR4" and time.monotonic() - started < 10, "meanwhile: ERR4, at once")
sim_direct = simulator(direct_link)
check(wait_for(lambda: "direct: line" in journal() and "reopened" in journal(), 30), "the line is reopened")
check(wait_for(lambda: a.value("%1POWR ?") == "0", 10), "and answers again (a new projector: stand-by)")

# --------------------------------------------------------------- SIGHUP
write_conf("Hall B,renamed")  # a comma, kept as written
daemon.send_signal(signal.SIGHUP)
def served_name():
    try:
        return Client(p_served).value("%1NAME ?")
    except OSError:  # between the old listener and the new one
        return None


check(wait_for(lambda: served_name() == "Hall B,renamed", 10), "SIGHUP reads the file again")
check([notified(), notified()] == ["RELOADING=1", "READY=1"], "and says so to systemd")
check(a.value("%1NAME ?") == "Hall A", "an unchanged projector keeps its clients")
b.close()
a.close()

# --------------------------------------------------------------- SIGTERM
daemon.send_signal(signal.SIGTERM)
try:
    status = daemon.wait(10)
except subprocess.TimeoutExpired:
    status = None
check(status == 0 and notified() == "STOPPING=1", "SIGTERM ends it cleanly", status)
freed = True
for port in (p_direct, p_served):
    with socket.socket() as s:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)  # as a restarted server binds
        try:
            s.bind(("127.0.0.1", port))
            s.listen()
        except OSError:
            freed = False
check(freed, "its ports are free again")

# ------------------------------------------------------ refused files
for text, reason in [("[a]\ntarget=/dev/x\nbaud=1200\n", ":3: [a] baud"),
                     (f"[a]\ntarget=/dev/x\n[b]\ntarget=/dev/y\n", ":3: [b] listen"),
                     ("; only comments\n", "no projector"),
                     ("[a]\ntarget=/dev/x\nname=@Variant(\\0\\0\\0\\v\\xff\\xff\\xff\\xf0)\n", ": [a] name: a binary value")]:
    with open(conf, "w") as f:
        f.write(text)
    r = subprocess.run([DAEMON, "--config", conf], capture_output=True, text=True, timeout=20)
    check(r.returncode == 78 and reason in r.stderr, f"refused with exit 78: {reason}", (r.returncode, r.stderr))

example = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "packaging", "pjlinkd.conf")
r = subprocess.run([DAEMON, "--check", "--config", example], capture_output=True, text=True, timeout=20)
check(r.returncode == 1, "the shipped example reads, and configures nothing (the unit stays down)", r.stderr)

# ======================================== addresses and secrets (begin)
# One daemon without a line: the addresses it refuses and binds, what it says
# of a file that holds passwords, and a reload onto an address that is taken.
for bad in ("[:::::]", "[1::2::3]", "[::1.2.3.4.5]"):
    with open(conf, "w") as f:
        f.write(f"[a]\ntarget=/dev/x\nlisten={bad}:4352\n")
    r = subprocess.run([DAEMON, "--check", "--config", conf], capture_output=True, text=True, timeout=20)
    check(r.returncode == 78 and ":3: [a] listen:" in r.stderr, f"listen={bad} refused by --check (78)", r.stderr)

dual = free_port()
with open(conf, "w") as f:
    f.write(f"[open]\ntarget={work}/no-line\nlisten=0.0.0.0:{dual}\npassword=ab;cd\n")
os.chmod(conf, 0o644)
log2_path = os.path.join(work, "daemon2.log")
second = start([DAEMON, "--config", conf], stderr=open(log2_path, "w"))
check(wait_for(lambda: accepts(dual)), "the second daemon listens")
log2 = lambda: open(log2_path).read()
check(f"on 0.0.0.0:{dual} and [::]:{dual}" in log2() and "authentication on" in log2(),
      "the log names both families bound, and that authentication is on", log2())
check('password: the value ends at a ";"' in log2() and "every user of this machine can read it" in log2()
      and "ab;cd" not in log2(), "a value cut at ';' and a readable file are warned about", log2())
with socket.socket(socket.AF_INET6) as s6:
    s6.setsockopt(socket.IPPROTO_IPV6, socket.IPV6_V6ONLY, 1)
    try:
        s6.bind(("::", dual))
        taken = True
    except OSError:
        taken = False
check(not taken, "no other program can take [::] beside the default 0.0.0.0")
try:
    with socket.create_server(("::1", 0), family=socket.AF_INET6):
        loopback6 = True
except OSError:
    loopback6 = False
if loopback6:
    try:
        with socket.create_connection(("::1", dual), timeout=10) as s6:
            greeting = s6.recv(64)
    except OSError as e:
        greeting = repr(e).encode()
    check(greeting.startswith(b"PJLINK 1 "), "an IPv6 client is greeted by the bridge", greeting)
else:
    print("skip an IPv6 client (this machine has no IPv6 loopback)")

with socket.create_server(("127.0.0.1", 0)) as blocker:
    with open(conf, "w") as f:
        f.write(f"[open]\ntarget={work}/no-line\nlisten=127.0.0.1:{blocker.getsockname()[1]}\npassword=x\n")
    second.send_signal(signal.SIGHUP)
    check(wait_for(lambda: "still serving on 0.0.0.0:" in log2(), 10) and accepts(dual),
          "a reload onto a taken address keeps serving on the old one", log2())
second.terminate()
check(second.wait(20) == 0, "and it ends cleanly")
# ========================================== addresses and secrets (end)

# ------------------------------------------------------- no GUI library
ldd = subprocess.run(["ldd", DAEMON], capture_output=True, text=True).stdout
check("libQt6Gui" not in ldd and "libQt6Widgets" not in ldd, "loads no GUI library")

sys.exit(1 if failures else 0)
