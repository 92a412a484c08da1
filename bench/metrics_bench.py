#!/usr/bin/python3
"""Figures for the metrics of orva-pjlinkd (printed, never asserted).

    bench/metrics_bench.py ORVA_PJLINKD ORVA_PROJECTOR_SIM [--projectors 16] [--seconds 30]

Starts that many simulators on ptys and one bridge serving them all, polling
every second, then for `--seconds`:
  - scrapes /metrics back to back and times each scrape (wall time of the
    whole HTTP request, connection included);
  - reads every projector's orva_poll_duration_seconds after each of its
    polls: the time the four reads of one poll hold the line;
  - measures the bridge's CPU time over the run.
Standard library only."""
import argparse, os, re, shutil, socket, statistics, subprocess, sys, tempfile, time, urllib.request

ap = argparse.ArgumentParser()
ap.add_argument("bridge")
ap.add_argument("sim")
ap.add_argument("--projectors", type=int, default=16)
ap.add_argument("--seconds", type=float, default=30)
args = ap.parse_args()

work = tempfile.mkdtemp(prefix="orva-metrics-bench-")
procs = []


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def pct(values, p):
    v = sorted(values)
    return v[min(len(v) - 1, int(round(p / 100 * (len(v) - 1))))]


def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


try:
    metrics_port = free_port()
    conf = [f"[metrics]\nlisten=127.0.0.1:{metrics_port}\npoll=1\n"]
    for i in range(args.projectors):
        link = os.path.join(work, f"projector{i}")
        p = subprocess.Popen([args.sim, "--quiet", "--link", link], stdout=subprocess.PIPE, text=True)
        procs.append(p)
        p.stdout.readline()
        conf.append(f"[room-{i:02d}]\ntarget={link}\nlisten=127.0.0.1:{free_port()}\n")
    path = os.path.join(work, "pjlinkd.conf")
    open(path, "w").write("\n".join(conf))
    bridge = subprocess.Popen([args.bridge, "--config", path], stderr=subprocess.DEVNULL)
    procs.append(bridge)
    url = f"http://127.0.0.1:{metrics_port}/metrics"
    deadline = time.monotonic() + 30
    while True:
        try:
            text = urllib.request.urlopen(url, timeout=5).read().decode()
            if text.count("orva_lamp_hours{") == args.projectors:
                break
        except OSError:
            pass
        if time.monotonic() > deadline:
            sys.exit("the bridge did not publish every projector within 30 s")
        time.sleep(0.2)

    scrapes, polls, last = [], [], {}
    duration = re.compile(r'^orva_poll_duration_seconds\{projector="([^"]+)"\} (\S+)$', re.M)
    stamp = re.compile(r'^orva_last_poll_timestamp_seconds\{projector="([^"]+)"\} (\S+)$', re.M)
    cpu0, t0 = cpu_seconds(bridge.pid), time.monotonic()
    while time.monotonic() - t0 < args.seconds:
        start = time.perf_counter()
        text = urllib.request.urlopen(url, timeout=5).read().decode()
        scrapes.append((time.perf_counter() - start) * 1000)
        durations = dict(duration.findall(text))
        for name, when in stamp.findall(text):
            if last.get(name) != when:  # a poll that finished since the last look
                last[name] = when
                polls.append(float(durations[name]) * 1000)
        time.sleep(0.05)
    cpu = (cpu_seconds(bridge.pid) - cpu0) / (time.monotonic() - t0) * 100

    print(f"{args.projectors} projectors, poll every 1 s, {args.seconds:.0f} s, exposition {len(text)} bytes, "
          f"{text.count(chr(10))} lines")
    print(f"scrape (HTTP GET /metrics): median {statistics.median(scrapes):.2f} ms, "
          f"p99 {pct(scrapes, 99):.2f} ms, max {max(scrapes):.2f} ms ({len(scrapes)} scrapes)")
    print(f"poll on the line (4 reads): median {statistics.median(polls):.1f} ms, p99 {pct(polls, 99):.1f} ms "
          f"({len(polls)} polls); at the default poll=30 the line is busy "
          f"{statistics.median(polls) / 30000 * 100:.3f} % of the time")
    print(f"bridge CPU: {cpu:.1f} % of one core")
finally:
    for p in procs:
        if p.poll() is None:
            p.terminate()
            p.wait(10)
    shutil.rmtree(work, ignore_errors=True)
