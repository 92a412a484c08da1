#!/usr/bin/python3
"""The metrics of orva-pjlinkd end to end, in Debian's real Prometheus server, on 127.0.0.1
(tests/pjlink/metrics_e2e.py ORVA_PJLINKD ORVA_PROJECTOR_SIM; exit status 0 when all checks pass)."""
import atexit, base64, json, os, shutil, signal, socket, subprocess, sys, tempfile, threading, time, urllib.error, urllib.parse, urllib.request

from e2e_ports import free_port

BRIDGE, SIM = sys.argv[1:3]
LAMP_HOURS, TEMPERATURES = 4321, {"1": 25.0, "2": 26.2, "3": 27.0}  # the simulator in stand-by
work = tempfile.mkdtemp(prefix="orva-metrics-e2e-")
running = []


@atexit.register
def clean_up():
    for p in running:
        if p.poll() is None:
            p.kill()
            p.wait()
    shutil.rmtree(work, ignore_errors=True)


def fail(what):
    print("FAIL " + what)
    for name in ("bridge.log", "prometheus.log"):
        if os.path.exists(path := os.path.join(work, name)):
            print(f"--- {name}\n" + "".join(open(path, errors="replace").readlines()[-30:]))
    sys.exit(1)


def start(args, log, **kw):
    running.append(subprocess.Popen(args, stdout=open(os.path.join(work, log), "w"), stderr=subprocess.STDOUT, **kw))
    return running[-1]


def get(url):
    return urllib.request.urlopen(url, timeout=5).read().decode()


def wait_for(what, probe, seconds=60):
    """The first true value of probe() within `seconds`; the test fails without one."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            if got := probe():
                return got
        except OSError:
            pass
        time.sleep(0.2)
    fail(f"{what} within {seconds} s")


def query(expr):
    """Prometheus' instant vector for `expr`: {the series' sensor label (or ""): value}."""
    answer = json.loads(get(f"http://127.0.0.1:{prom_port}/api/v1/query?" + urllib.parse.urlencode({"query": expr})))
    return {r["metric"].get("sensor", ""): float(r["value"][1]) for r in answer["data"]["result"]}


def configure(metrics_port):
    with open(config, "w") as f:
        f.write(f"[metrics]\nlisten=127.0.0.1:{metrics_port}\npoll=1\n\n"
                f"[hall-a]\ntarget={link}\nlisten=127.0.0.1:{pjlink_port}\n")


# The simulator, and the bridge in front of it polling every second.
link, config = os.path.join(work, "projector"), os.path.join(work, "pjlinkd.conf")
state = os.path.join(work, "state")
sim = start([SIM, "--link", link, "--lamp-hours", str(LAMP_HOURS), "--state-file", state], "sim.log")
wait_for("the simulator's device", lambda: os.path.exists(link))
metrics_port, pjlink_port, prom_port = free_port(), free_port(), free_port()
configure(metrics_port)
bridge = start([BRIDGE, "--config", config], "bridge.log")
exposition = wait_for("a reading on the bridge's /metrics",
                      lambda: (t := get(f"http://127.0.0.1:{metrics_port}/metrics")) and "orva_lamp_hours{" in t and t)

# promtool's lint wants base units; the lamp time is in hours, as lamp makers count it: that finding only.
lint = subprocess.run(["promtool", "check", "metrics"], input=exposition, capture_output=True, text=True)
if [l for l in (lint.stdout + lint.stderr).splitlines() if l.strip()] != \
        ['orva_lamp_hours use base unit "seconds" instead of "hours"']:
    fail("promtool check metrics: " + lint.stdout + lint.stderr)
print("ok   promtool check metrics: nothing but the lamp time in hours")

# A throw-away Prometheus scraping the bridge every second.
with open(os.path.join(work, "prometheus.yml"), "w") as f:
    f.write("global: {scrape_interval: 1s}\nscrape_configs:\n  - job_name: orva-pjlinkd\n"
            f"    static_configs: [{{targets: ['127.0.0.1:{metrics_port}']}}]\n")
start(["prometheus", f"--config.file={f.name}", f"--web.listen-address=127.0.0.1:{prom_port}",
       f"--storage.tsdb.path={os.path.join(work, 'tsdb')}"], "prometheus.log")
hours = wait_for("orva_lamp_hours in Prometheus", lambda: query('orva_lamp_hours{projector="hall-a"}'))
temps = wait_for("three temperatures in Prometheus",
                 lambda: (q := query('orva_temperature_celsius{projector="hall-a"}')) and len(q) == 3 and q)
if hours != {"": LAMP_HOURS} or temps != TEMPERATURES or query('orva_up{projector="hall-a"}') != {"": 1}:
    fail(f"Prometheus has the simulator's {LAMP_HOURS} hours and {TEMPERATURES}, up 1: {hours} {temps}")
print("ok   Prometheus has the simulator's lamp hours and temperatures")

# The projector reports what goes wrong (the simulator's state file): each state is the series the shipped
# alerts look at, and sensors that cannot be read have no temperature series at all.
def series():
    text = get(f"http://127.0.0.1:{metrics_port}/metrics")
    return {l.rsplit(" ", 1)[0]: float(l.rsplit(" ", 1)[1]) for l in text.splitlines() if l.startswith("orva_")}


for content, wanted, gone in [
        ("fault=temperature\nsensors-unreadable\n",
         {'orva_power_state{projector="hall-a",state="temperature_abnormality"}': 1}, "orva_temperature_celsius{"),
        ("fault=power\n", {'orva_power_state{projector="hall-a",state="power_abnormality"}': 1}, None),
        ("fault=lamp\n", {'orva_power_state{projector="hall-a",state="lamp_failure"}': 1,
                          'orva_lamp_state{projector="hall-a",state="failure"}': 1}, None),
        (None, {'orva_power_state{projector="hall-a",state="standby"}': 1,
                'orva_lamp_state{projector="hall-a",state="off"}': 1}, None)]:
    if content is None:
        os.remove(state)
    else:
        with open(state + ".new", "w") as f:
            f.write(content)
        os.rename(state + ".new", state)
    wait_for(f"the series of {content!r}", lambda: (m := series()) and all(m.get(k) == v for k, v in wanted.items())
             and (gone is None or not any(k.startswith(gone) for k in m)))
print("ok   temperature and power abnormality, lamp failure and unreadable sensors reach the series")

# The simulator hangs up: the line is lost, the projector's series stay, up falls to 0.
sim.terminate()
wait_for("orva_up 0 in Prometheus", lambda: query('orva_up{projector="hall-a"}') == {"": 0})
if query('orva_lamp_hours{projector="hall-a"}') != {"": LAMP_HOURS}:
    fail("the lamp hours stay as last read")
print("ok   orva_up falls to 0 after the hang-up; the readings stay")

# SIGHUP: the endpoint moves to the address the file names now.
new_port = free_port()
configure(new_port)
bridge.send_signal(signal.SIGHUP)
wait_for("the endpoint moved", lambda: 'orva_up{projector="hall-a"} 0' in get(f"http://127.0.0.1:{new_port}/metrics"))
try:
    get(f"http://127.0.0.1:{metrics_port}/metrics")
    fail("the old address is let go")
except OSError:
    print("ok   SIGHUP moves the endpoint")

# ======================================= the endpoint on a shared network (begin)
idle = [socket.create_connection(("127.0.0.1", new_port)) for _ in range(2)]
dripping = True


def drip():  # a byte of a request every half second, until the scrape is done or the server cuts it
    try:
        with socket.create_connection(("127.0.0.1", new_port)) as s:
            for byte in b"GET /metrics HTTP/1.1\r\nX-Slow: " + b"a" * 200:
                if not dripping:
                    return
                s.send(bytes([byte]))
                time.sleep(0.5)
    except OSError:
        pass


for _ in range(8):
    threading.Thread(target=drip, daemon=True).start()
time.sleep(1)
try:
    scraped = urllib.request.urlopen(f"http://127.0.0.1:{new_port}/metrics", timeout=20).read().decode()
except OSError as e:
    scraped = repr(e)
dripping = False
for s in idle:
    s.close()
if "orva_up{" not in scraped:
    fail(f"a scrape beside 2 idle and 8 dripping connections: {scraped[:200]}")
print("ok   idle and dripping HTTP connections do not hold up a scrape")


def fetch(port, credentials=None):
    request = urllib.request.Request(f"http://127.0.0.1:{port}/metrics")
    if credentials:
        request.add_header("Authorization", "Basic " + base64.b64encode(credentials.encode()).decode())
    try:
        return urllib.request.urlopen(request, timeout=5).status
    except urllib.error.HTTPError as e:
        return e.code


def configure_auth(port):
    with open(config, "w") as f:
        f.write(f'[metrics]\nlisten=127.0.0.1:{port}\npoll=1\nuser=prom\npassword="s3;cret"\n\n'
                f"[hall-a]\ntarget={link}\nlisten=127.0.0.1:{pjlink_port}\n")
    os.chmod(config, 0o640)


configure_auth(new_port)
bridge.send_signal(signal.SIGHUP)
wait_for("basic authentication asked for", lambda: fetch(new_port) == 401)
if fetch(new_port, "prom:s3;cret") != 200 or fetch(new_port, "prom:s3") != 401:
    fail("the right user and password are let in, a wrong one is not")
with socket.create_server(("127.0.0.1", 0)) as blocker:
    configure_auth(blocker.getsockname()[1])
    bridge.send_signal(signal.SIGHUP)
    wait_for("the failed move logged", lambda: "still serving on" in open(os.path.join(work, "bridge.log")).read())
    if fetch(new_port, "prom:s3;cret") != 200:
        fail("a move onto a taken address keeps the endpoint where it was")
if "s3;cret" in open(os.path.join(work, "bridge.log")).read():
    fail("the metrics password reached the log")
print("ok   basic authentication; a move onto a taken address keeps the endpoint; no password logged")
# ========================================= the endpoint on a shared network (end)

# A bad [metrics] entry is refused at start with its file, line and reason.
with open(config, "w") as f:
    f.write(f"[hall-a]\ntarget={link}\n[metrics]\npoll=0\n")
refused = subprocess.run([BRIDGE, "--config", config], capture_output=True, text=True, timeout=30)
bridge.terminate()  # the running one, unharmed, ends cleanly
if refused.returncode != 78 or f"{config}:4: [metrics] poll:" not in refused.stderr or bridge.wait(30) != 0:
    fail(f"poll=0 refused with 78, the running bridge ends with 0: {refused.returncode} {refused.stderr}")
print("ok   a bad [metrics] entry is refused (78); SIGTERM ends the bridge cleanly")
