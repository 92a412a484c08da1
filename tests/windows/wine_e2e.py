#!/usr/bin/python3
"""The Windows programs as a Windows user gets them, under Wine: installed
by the installer, driven with a real mouse and keyboard, their bytes read
off the wire.

    tests/windows/wine_e2e.py SETUP_EXE SIMULATOR [WORK_DIR]

SETUP_EXE is build-windows/orva-control-VERSION-setup.exe, SIMULATOR the
Linux orva-projector-sim. WORK_DIR (default: beside SETUP_EXE, wine-e2e/)
keeps the screenshots, the simulators' logs and the programs' output;
ORVA_KEEP_PREFIX=1 keeps the Wine prefix too (its path is printed).

One flow on an X server of its own (Xvfb, openbox) and a Wine prefix of its
own, made for the run and thrown away after it: silent install (files,
Start-menu entry, Uninstall key); orva-ctl.exe on COM1 mapped to the
simulator's pseudo-terminal; orva-control.exe with no stored port (port
dialog, OK on COM1 stores the port, a click on Status, the status read off a
screenshot, a held Volume up); a tcp:// port through ser2net; silent
uninstall, which leaves the user's settings. Every process is started and
ended by its PID; the prefix's wineserver is ended last.

Needs Xvfb, openbox, xdotool, xprop, ImageMagick's import, tesseract,
ser2net and Wine (64-bit). Exit status 0 when every check passed."""
import atexit, os, re, shutil, signal, socket, subprocess, sys, tempfile, time

if len(sys.argv) not in (3, 4):
    sys.exit(__doc__.split("\n\n")[1])
SETUP = os.path.abspath(sys.argv[1])
SIM = os.path.abspath(sys.argv[2])
WORK = os.path.abspath(sys.argv[3] if len(sys.argv) == 4 else os.path.join(os.path.dirname(SETUP), "wine-e2e"))
TIMEOUT = float(os.environ.get("ORVA_WINE_TIMEOUT", "60"))

MAIN_TITLE = "ORVA   QLN40/QLN45/QLN50  CONTROL  Ver.2.0"
DIALOG_TITLE = "  COM PORT"
PRODUCT = "ORVA QLN Control"
INSTALL_DIR = rf"C:\Program Files\{PRODUCT}"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\orva-control"
# Where Qt's native settings of organisation "ORVA" live in the registry.
SETTINGS_KEY = r"HKCU\Software\ORVA"
TWIPS_PER_PIXEL = 15  # Wine's default 96 DPI

failures = 0
processes = []  # (name, Popen), ended in reverse order
shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
scratch = tempfile.mkdtemp(prefix="orva-wine-")


def check(ok, what, detail=""):
    global failures
    print(("ok   " if ok else "FAIL ") + what + ("" if ok or detail == "" else f"  ({detail})"), flush=True)
    failures += not ok
    return ok


def poll(condition, timeout=TIMEOUT, interval=0.1):
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() > end:
            return value
        time.sleep(interval)


def start(name, cmd, **kw):
    p = subprocess.Popen(cmd, **kw)
    processes.append((name, p))
    return p


def stop(p, grace=10):
    if p.poll() is None:
        p.terminate()
        try:
            p.wait(grace)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()


# -- the X session --------------------------------------------------------------
read_fd, write_fd = os.pipe()
xvfb = start("Xvfb", ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
             pass_fds=(write_fd,), stderr=open(os.path.join(WORK, "xvfb.log"), "w"))
os.close(write_fd)
# Xvfb writes the number and its line end in two writes, and dies if the
# pipe is gone before the second: read the whole line.
display = b""
while not display.endswith(b"\n") and (chunk := os.read(read_fd, 64)):
    display += chunk
os.close(read_fd)
display = display.decode().strip()
if not display:
    sys.exit("Xvfb did not start")
env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "XDG_CONFIG", "WINE"))}
env.update(DISPLAY=f":{display}", WINEPREFIX=os.path.join(scratch, "prefix"), WINEARCH="win64",
           WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", XDG_RUNTIME_DIR=scratch)
os.chmod(scratch, 0o700)
openbox = start("openbox", ["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL)
PREFIX = env["WINEPREFIX"]


def run(cmd, timeout=TIMEOUT, **kw):
    return subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=timeout, **kw)


def wine(*args, timeout=TIMEOUT):
    return run(["wine", *args], timeout=timeout)


@atexit.register
def clean_up():
    """Nothing outlives the run: the Wine programs, the prefix's wineserver,
    the simulators, ser2net, openbox and the X server, each by its PID."""
    for name, p in reversed(processes):
        if name.endswith(".exe"):
            stop(p, 5)
    subprocess.run(["wineserver", "-k"], env=env, capture_output=True, timeout=60)
    for name, p in reversed(processes):
        stop(p)
    if os.environ.get("ORVA_KEEP_PREFIX") != "1":
        shutil.rmtree(scratch, ignore_errors=True)


def reg_values(key):
    """{name: (type, data)} of a registry key, or None when it is absent."""
    r = wine("reg", "query", key)
    if r.returncode != 0:
        return None
    values = {}
    for line in r.stdout.splitlines():
        m = re.match(r"^    (.*?)    (REG_\w+)    ?(.*)$", line)
        if m:
            values[m.group(1)] = (m.group(2), m.group(3))
    return values


def host_path(windows_path):
    """The file under the prefix that a C:\\ path names."""
    return os.path.join(PREFIX, "drive_c", *windows_path[3:].split("\\"))


def screenshot(name):
    path = os.path.join(WORK, name + ".png")
    subprocess.run(["import", "-window", "root", path], env=env, capture_output=True, timeout=30)
    return path


def xdo(*args):
    r = run(["xdotool", *map(str, args)], timeout=30)
    return r.stdout.strip()


def windows_named(title):
    """The mapped X windows whose name is exactly `title`."""
    out = xdo("search", "--onlyvisible", "--name", re.escape(title.split()[0]))
    return [w for w in out.split() if x_title(w) == title]


def x_title(wid):
    out = run(["xprop", "-id", str(wid), "_NET_WM_NAME"], timeout=30).stdout
    m = re.match(r'^_NET_WM_NAME\(UTF8_STRING\) = "(.*)"$', out.strip())
    return m.group(1).replace('\\"', '"').replace("\\\\", "\\") if m else None


def geometry(wid):
    """(x, y, width, height) of a window's client area on the screen."""
    out = run(["xwininfo", "-id", str(wid)], timeout=30).stdout  # xdotool's is off by the frame
    g = dict(re.findall(r"^\s*(Absolute upper-left X|Absolute upper-left Y|Width|Height):\s*(-?\d+)", out, re.M))
    return (int(g["Absolute upper-left X"]), int(g["Absolute upper-left Y"]), int(g["Width"]), int(g["Height"]))


def twips_point(wid, left, top, width, height):
    """The screen point at the centre of a control placed in twips."""
    x, y, _, _ = geometry(wid)
    return (x + round((left + width / 2) / TWIPS_PER_PIXEL), y + round((top + height / 2) / TWIPS_PER_PIXEL))


def click(point):
    xdo("mousemove", "--sync", point[0], point[1])
    time.sleep(0.2)
    xdo("click", 1)


class Simulator:
    """orva-projector-sim on a pseudo-terminal, logging every command."""
    def __init__(self, name, *options):
        self.log = os.path.join(WORK, name + ".log")
        self.p = start(name, [SIM, "--quiet", "--log", self.log, *options], stdout=subprocess.PIPE, text=True)
        self.device = self.p.stdout.readline().strip()

    def commands(self):
        """[(seconds, command)] received so far."""
        if not os.path.exists(self.log):
            return []
        out = []
        for line in open(self.log, encoding="ascii").read().splitlines():
            stamp, _, text = line.partition(" ")
            out.append((int(stamp) / 1e6, text))
        return out


def map_com(number, device):
    """COM n of the prefix leads to `device`; the mapping is read when the
    wineserver starts, so the server goes (it starts again with the next
    program). Done again before each run: Wine's link outlives the pty."""
    wine("reg", "add", r"HKLM\Software\Wine\Ports", "/v", f"COM{number}", "/d", device, "/f")
    run(["wineserver", "-k"])
    run(["wineserver", "-w"])


def ctl(*args):
    exe = os.path.join(INSTALL_DIR, "orva-ctl.exe")
    return wine(exe, *args)


# -- a fresh prefix, the silent install -------------------------------------------
t0 = time.monotonic()
r = run(["wineboot", "-i"], timeout=300)
run(["wineserver", "-w"], timeout=120)
if not check(r.returncode == 0 and os.path.isdir(os.path.join(PREFIX, "drive_c")), "a fresh Wine prefix", r.stderr[-400:]):
    sys.exit(1)
print(f"     (prefix {PREFIX} in {time.monotonic() - t0:.0f} s)")

r = wine(SETUP, "/S", timeout=300)
run(["wineserver", "-w"], timeout=120)
check(r.returncode == 0, "setup.exe /S exits 0", r.returncode)
installed = {f: os.path.isfile(host_path(INSTALL_DIR + "\\" + f)) for f in
             ["orva-control.exe", "orva-ctl.exe", "uninstall.exe", "Qt6Core.dll", "Qt6Gui.dll", "Qt6Widgets.dll",
              "libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll", r"platforms\qwindows.dll"]}
check(all(installed.values()), "the programs, Qt's DLLs and plugin and the runtime are in Program Files",
      [f for f, ok in installed.items() if not ok])
link = os.path.join(PREFIX, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                    PRODUCT + ".lnk")
check(os.path.isfile(link), "a Start-menu entry " + PRODUCT)
key = reg_values(UNINSTALL_KEY) or {}
want = {"DisplayName": PRODUCT, "Publisher": "ORVA",
        "UninstallString": f'"{INSTALL_DIR}\\uninstall.exe"',
        "QuietUninstallString": f'"{INSTALL_DIR}\\uninstall.exe" /S',
        "DisplayIcon": f"{INSTALL_DIR}\\orva-control.exe,0", "NoModify": "0x1", "NoRepair": "0x1"}
wrong = {k: key.get(k, (None, None))[1] for k, v in want.items() if key.get(k, (None, None))[1] != v}
version = re.search(r"orva-control-([0-9.]+)-setup\.exe$", SETUP)
check(not wrong and key.get("DisplayVersion", ("", ""))[1] == (version.group(1) if version else "?")
      and int(key.get("EstimatedSize", ("", "0"))[1], 16) > 1000,
      "the uninstaller is registered (Apps & features)", wrong or key)

# -- orva-ctl.exe on COM1 ---------------------------------------------------------
sim = Simulator("projector", "--count-down", "0")
check(sim.device.startswith("/dev/pts/"), "the simulator's pseudo-terminal", sim.device)
map_com(1, sim.device)
r = ctl("--port", "COM1", "send", "C00")
check(r.returncode == 0 and r.stdout.strip() == r"\x06\r", "orva-ctl.exe send C00 on COM1: the projector's ACK",
      (r.returncode, r.stdout, r.stderr[-300:]))
map_com(1, sim.device)
r = ctl("--port", "COM1", "status")
check(r.returncode == 0 and "Power ON" in r.stdout, "orva-ctl.exe --port COM1 status: Power ON",
      (r.returncode, r.stdout, r.stderr[-300:]))
check([c for _, c in sim.commands()] == ["C00", "CR0"], "exactly those two frames reached the wire",
      sim.commands())

# -- orva-control.exe, as a new user starts it -------------------------------------
check(reg_values(SETTINGS_KEY + r"\StartUP") is None, "no port stored yet")
map_com(1, sim.device)
gui_out = open(os.path.join(WORK, "orva-control.out"), "w")
gui = start("orva-control.exe", ["wine", host_path(INSTALL_DIR + r"\orva-control.exe")], env=env,
            stdout=gui_out, stderr=subprocess.STDOUT)
dialogs = poll(lambda: windows_named(DIALOG_TITLE))
check(bool(dialogs), f"no stored port: the port dialog {DIALOG_TITLE!r} is on screen (_NET_WM_NAME)")
if not dialogs:
    screenshot("no-dialog")
    print("     display", env["DISPLAY"], "Xvfb", xvfb.poll(), "openbox", openbox.poll(), "program", gui.poll(),
          run(["xdotool", "search", "--onlyvisible", "--name", "."]).stdout.split(),
          run(["import", "-window", "root", os.path.join(WORK, "x.png")]).stderr)
    sys.exit(1)
dialog = dialogs[0]
time.sleep(1)  # painted
screenshot("1-port-dialog")
# The dialog's controls in twips (frames' titles stand 8 pixels higher, their
# contents 8 lower): 19200 in the baud frame, COM1 in the port frame, OK.
dx, dy, _, _ = geometry(dialog)
click((dx + round((360 + 1320) / 15) + 10, dy + round((240 + 240 + 127) / 15)))
click((dx + round((360 + 180) / 15) + 10, dy + round((1200 + 180 + 157) / 15)))
time.sleep(0.5)
screenshot("2-port-dialog-com1")
click(twips_point(dialog, 2040, 1320, 735, 615))
mains = poll(lambda: windows_named(MAIN_TITLE))
check(bool(mains), f"OK on COM1: the main window {MAIN_TITLE!r} (exact _NET_WM_NAME)")
check(not windows_named(DIALOG_TITLE), "the port dialog is gone")
if not mains:
    screenshot("no-main-window")
    sys.exit(1)
main = mains[0]


def stored_startup():
    values = reg_values(SETTINGS_KEY + r"\StartUP") or {}
    return {k: v[1] for k, v in values.items()}


startup = poll(lambda: stored_startup().get("ComPort"), 20) and stored_startup()
check(startup == {"ComPort": "1", "BaudRate": "192"}, rf"ComPort=1, BaudRate=192 in {SETTINGS_KEY}\StartUP",
      startup)

# Ctrl+H shows the read-out column, Status among it.
_, _, _, collapsed = geometry(main)
xdo("windowactivate", "--sync", main)
xdo("windowfocus", "--sync", main)
xdo("key", "--clearmodifiers", "ctrl+h")
poll(lambda: geometry(main)[3] > collapsed + 100, 10)
check(geometry(main)[3] > collapsed + 100, "Ctrl+H expands the window", (collapsed, geometry(main)))
time.sleep(1)
screenshot("3-main-window")

# Status: "CR0" and CR on the wire, " Power ON" in the status label, which
# the monitor clears again after 1.2 s: the label is captured over and over
# from the click on, and read afterwards.
before = len(sim.commands())
status_button = twips_point(main, 8265, 5380, 1800, 270)
lx, ly = twips_point(main, 1020, 7005, 0, 0)
label = (lx, ly, round(5145 / TWIPS_PER_PIXEL), round(360 / TWIPS_PER_PIXEL))
shots = []
for attempt in range(2):  # a first click on a window just shown may be lost
    click(status_button)
    end = time.monotonic() + 2.5
    while time.monotonic() < end:
        path = os.path.join(WORK, f"status-{len(shots):02d}.png")
        subprocess.run(["import", "-window", "root", "-crop", "{2}x{3}+{0}+{1}".format(*label), "+repage", path],
                       env=env, capture_output=True, timeout=30)
        shots.append(path)
    if len(sim.commands()) > before:
        break
new = [c for _, c in sim.commands()[before:]]
check(new == ["CR0"], "a click on Status puts CR0 and CR on the wire", new)


def read_text(png):
    big = png[:-4] + "-big.png"
    # Without the label's border, larger, on a white margin: what tesseract
    # reads best.
    subprocess.run(["convert", png, "-shave", "2x2", "-resize", "300%", "-colorspace", "Gray", "-bordercolor", "white",
                    "-border", "20", big], capture_output=True, timeout=30)
    r = subprocess.run(["tesseract", big, "-", "--psm", "7"], capture_output=True, text=True, timeout=60)
    return r.stdout.strip()


texts = [read_text(p) for p in shots]
seen = next((t for t in texts if t), "")
check("Power ON" in texts, 'the status label shows " Power ON" (read off the screen)', [t for t in texts if t])
hit = next((p for p, t in zip(shots, texts) if t == "Power ON"), None)
if hit:
    shutil.move(hit, os.path.join(WORK, "4-status-power-on.png"))
for p in shots if hit else []:  # kept when the label was never read
    for f in (p, p[:-4] + "-big.png"):
        if os.path.exists(f) and f != hit:
            os.remove(f)

# A hold of Volume up repeats C09 about every 100 ms.
time.sleep(1.5)
before = len(sim.commands())
xdo("mousemove", "--sync", *twips_point(main, 3225, 2700, 630, 300))
time.sleep(0.2)
xdo("mousedown", 1)
time.sleep(1.2)
xdo("mouseup", 1)
time.sleep(1.0)
held = sim.commands()[before:]
stamps = [t for t, c in held if c == "C09"]
gaps = sorted(b - a for a, b in zip(stamps, stamps[1:]))
median = gaps[len(gaps) // 2] if gaps else 0
check(len(stamps) >= 5 and all(c == "C09" for _, c in held) and 0.06 <= median <= 0.2,
      "a held Volume up repeats C09 about every 100 ms", f"{len(stamps)} frames, median gap {median * 1000:.0f} ms, "
      f"{[c for _, c in held if c != 'C09']}")

# The third window: "Command Table" opens the command list; the window
# system's close ends it.
click(twips_point(main, 6375, 6660, 1800, 375))
lists = poll(lambda: windows_named("Command List"), 20)
check(bool(lists), "Command Table opens the window 'Command List'")
if lists:
    time.sleep(1)
    screenshot("5-command-list")
    xdo("windowactivate", "--sync", lists[0])
    xdo("key", "--clearmodifiers", "alt+F4")
    check(poll(lambda: not windows_named("Command List"), 20), "and Alt+F4 closes it")
    time.sleep(1.5)  # the panel ignores clicks for a double click's time after a window closed

# END ends the program.
click(twips_point(main, 8265, 4680, 1800, 495))
try:
    code = gui.wait(TIMEOUT)
except subprocess.TimeoutExpired:
    code = None
check(code == 0 and not windows_named(MAIN_TITLE), "END ends orva-control.exe", code)
stop(gui)
stop(sim.p)

# -- tcp:// through ser2net -------------------------------------------------------
far = Simulator("projector-tcp", "--count-down", "0")
with socket.socket() as s:
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
conf = os.path.join(WORK, "ser2net.yaml")
with open(conf, "w") as f:
    f.write(f"connection: &projector\n  accepter: tcp,127.0.0.1,{port}\n"
            f"  connector: serialdev,{far.device},19200n81,local\n")
ser2net = start("ser2net", ["ser2net", "-n", "-d", "-c", conf, "-P", os.path.join(scratch, "ser2net.pid")],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def listening():
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


check(poll(listening, 20), "ser2net listens")
time.sleep(1)  # a second between connections to one device
wine("reg", "add", SETTINGS_KEY + r"\Ports", "/v", "COM2", "/d", f"tcp://127.0.0.1:{port}", "/f")
r = ctl("send", "C00", "--port", "COM2")
time.sleep(1)
r = ctl("status", "--port", "COM2")
check(r.returncode == 0 and "Power ON" in r.stdout, rf"COM2=tcp://127.0.0.1:{port} in {SETTINGS_KEY}\Ports: status "
      "through ser2net says Power ON", (r.returncode, r.stdout, r.stderr[-300:]))
stop(ser2net)
stop(far.p)

# -- silent uninstall -------------------------------------------------------------
# As Apps & features runs it: the registered quiet command line.
quiet = re.match(r'^"([^"]+)"\s*(.*)$', key.get("QuietUninstallString", ("", '"?"'))[1])
r = wine(quiet.group(1), *quiet.group(2).split())
run(["wineserver", "-w"], timeout=120)  # the uninstaller runs on from a copy of itself
check(r.returncode == 0 and not os.path.exists(host_path(INSTALL_DIR)) and not os.path.exists(link),
      "uninstall.exe /S removes the program folder and the Start-menu entry",
      os.listdir(host_path(INSTALL_DIR)) if os.path.exists(host_path(INSTALL_DIR)) else r.returncode)
check(reg_values(UNINSTALL_KEY) is None, "and its Uninstall key")
check(stored_startup() == {"ComPort": "1", "BaudRate": "192"}, rf"{SETTINGS_KEY} is left as it was",
      stored_startup())

print(f"screenshots in {WORK}")
print("all passed" if failures == 0 else f"{failures} check(s) failed")
sys.exit(1 if failures else 0)
