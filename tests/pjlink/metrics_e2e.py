#!/usr/bin/python3
"""The metrics of orva-pjlinkd, end to end, in a real Prometheus server.

    tests/pjlink/metrics_e2e.py ORVA_PJLINKD ORVA_PROJECTOR_SIM

The bridge serves one simulated projector and its metrics on 127.0.0.1; a
throw-away Prometheus (Debian's, scraping every second) must show the
simulator's lamp hours and temperatures, and `orva_up` falling to 0 once the
simulator hangs up; `promtool check metrics` must accept the exposition;
SIGHUP moves the endpoint; a bad [metrics] entry is refused at start.
Standard library only; exit status 0 when all checks pass (CTest:
pjlink.metrics_e2e)."""
import atexit, json, os, shutil, signal, socket, subprocess, sys, tempfile, time, urllib.parse, urllib.request

if len(sys.argv) != 3 or not all(os.access(p, os.X_OK) for p in sys.argv[1:]):
    sys.exit(f"usage: {sys.argv[0]} path/to/orva-pjlinkd path/to/orva-projector-sim")
BRIDGE, SIM = sys.argv[1:]
LAMP_HOURS = 4321
TEMPERATURES = {"1": 25.0, "2": 26.2, "3": 27.0}  # the simulator in stand-by
work = tempfile.mkdtemp(prefix="orva-metrics-e2e-")
running = []


@atexit.register
def clean_up():
    for p in running:
        if p.poll() is None:
            p.terminate()
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
    shutil.rmtree(work, ignore_errors=True)


def fail(what):
    print("FAIL " + what)
    for name in ("bridge.log", "prometheus.log"):
        path = os.path.join(work, name)
        if os.path.exists(path):
            print(f"--- {name} (last lines)")
            print("".join(open(path, errors="replace").readlines()[-30:]))
    sys.exit(1)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start(args, log):
    p = subprocess.Popen(args, stdout=open(os.path.join(work, log), "w"), stderr=subprocess.STDOUT)
    running.append(p)
    return p


def get(url):
    with urllib.request.urlopen(url, timeout=5) as r:
        return r.read().decode()


def wait_for(what, probe, seconds=60):
    """The first true value of probe() within `seconds`; the test fails without one."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            got = probe()
            if got:
                return got
        except OSError:
            pass
        time.sleep(0.2)
    fail(f"{what} within {seconds} s")


def query(expr):
    """Prometheus' instant vector for `expr`: {labels: value}."""
    answer = json.loads(get(f"http://127.0.0.1:{prom_port}/api/v1/query?" + urllib.parse.urlencode({"query": expr})))
    if answer.get("status") != "success":
        return {}
    return {json.dumps(r["metric"], sort_keys=True): float(r["value"][1]) for r in answer["data"]["result"]}


# The simulator, and the bridge in front of it, polling every second.
link = os.path.join(work, "projector")
sim = subprocess.Popen([SIM, "--quiet", "--link", link, "--lamp-hours", str(LAMP_HOURS)],
                       stdout=subprocess.PIPE, text=True)
running.append(sim)
if not sim.stdout.readline().startswith("/dev/"):
    fail("the simulator prints its device")
metrics_port, pjlink_port = free_port(), free_port()
config = os.path.join(work, "pjlinkd.conf")
with open(config, "w") as f:
    f.write(f"[metrics]\nlisten=127.0.0.1:{metrics_port}\npoll=1\n\n"
            f"[hall-a]\ntarget={link}\nlisten=127.0.0.1:{pjlink_port}\n")
bridge = start([BRIDGE, "--config", config], "bridge.log")
exposition = wait_for("the bridge's /metrics answers with a reading",
                      lambda: (t := get(f"http://127.0.0.1:{metrics_port}/metrics")) and "orva_lamp_hours{" in t and t)
print("ok   the bridge serves /metrics")

# promtool's lint holds every name to base units; the lamp time is counted
# in hours, as projectors and lamp makers count it, so that one finding is
# expected and any other fails.
lint = subprocess.run(["promtool", "check", "metrics"], input=exposition, capture_output=True, text=True)
findings = [line for line in (lint.stdout + lint.stderr).splitlines() if line.strip()]
if findings != ['orva_lamp_hours use base unit "seconds" instead of "hours"']:
    fail("promtool check metrics: " + "\n".join(findings))
print("ok   promtool check metrics: nothing but the lamp time in hours")

# A throw-away Prometheus scraping the bridge every second.
prom_port = free_port()
prom_config = os.path.join(work, "prometheus.yml")
with open(prom_config, "w") as f:
    f.write("global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
            "scrape_configs:\n  - job_name: orva-pjlinkd\n    static_configs:\n"
            f"      - targets: ['127.0.0.1:{metrics_port}']\n")
start(["prometheus", f"--config.file={prom_config}", f"--web.listen-address=127.0.0.1:{prom_port}",
       f"--storage.tsdb.path={os.path.join(work, 'tsdb')}"], "prometheus.log")
wait_for("Prometheus is ready", lambda: get(f"http://127.0.0.1:{prom_port}/-/ready"))

hours = wait_for("Prometheus has orva_lamp_hours", lambda: query('orva_lamp_hours{projector="hall-a"}'))
if list(hours.values()) != [LAMP_HOURS]:
    fail(f"orva_lamp_hours is the simulator's {LAMP_HOURS}: {hours}")
print("ok   orva_lamp_hours in Prometheus is the simulator's")
temps = wait_for("Prometheus has three temperatures",
                 lambda: (q := query('orva_temperature_celsius{projector="hall-a"}')) and len(q) == 3 and q)
got = {json.loads(k)["sensor"]: v for k, v in temps.items()}
if got != TEMPERATURES:
    fail(f"orva_temperature_celsius is the simulator's {TEMPERATURES}: {got}")
print("ok   orva_temperature_celsius in Prometheus is the simulator's")
if list(query('orva_up{projector="hall-a"}').values()) != [1]:
    fail("orva_up is 1 while the simulator answers")

# The simulator hangs up: the line is lost, the projector's series stay, up falls to 0.
sim.terminate()
sim.wait(10)
wait_for("orva_up falls to 0 in Prometheus", lambda: list(query('orva_up{projector="hall-a"}').values()) == [0])
if list(query('orva_lamp_hours{projector="hall-a"}').values()) != [LAMP_HOURS]:
    fail("the lamp hours stay as last read")
print("ok   orva_up falls to 0 after the hang-up; the readings stay")

# SIGHUP: the endpoint moves to the address the file names now, the series stay.
new_port = free_port()
with open(config, "w") as f:
    f.write(f"[metrics]\nlisten=127.0.0.1:{new_port}\npoll=1\n\n"
            f"[hall-a]\ntarget={link}\nlisten=127.0.0.1:{pjlink_port}\n")
bridge.send_signal(signal.SIGHUP)
wait_for("the endpoint moves on SIGHUP",
         lambda: 'orva_up{projector="hall-a"} 0' in get(f"http://127.0.0.1:{new_port}/metrics"))
try:
    get(f"http://127.0.0.1:{metrics_port}/metrics")
    fail("the old address is let go")
except OSError:
    pass
print("ok   SIGHUP moves the endpoint")

# A bad [metrics] entry is refused at start with its file, line and reason.
with open(config, "w") as f:
    f.write(f"[hall-a]\ntarget={link}\n[metrics]\npoll=0\n")
refused = subprocess.run([BRIDGE, "--config", config], capture_output=True, text=True, timeout=30)
if refused.returncode != 78 or f"{config}:4: [metrics] poll:" not in refused.stderr:
    fail(f"poll=0 refused with 78: {refused.returncode} {refused.stderr}")
print("ok   a bad [metrics] entry is refused (78)")
if bridge.poll() is not None:
    fail("the bridge is still running")
