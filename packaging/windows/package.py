#!/usr/bin/python3
"""Makes the Windows installer and the portable .zip from a cross build.

    packaging/windows/package.py BUILD_DIR QT_PREFIX

Takes orva-control.exe and orva-ctl.exe from BUILD_DIR/bin, adds Qt's
platform and style plugins, then every DLL they load, found by walking the
import tables (objdump -p) from one file to the next: Qt's from QT_PREFIX/bin,
the C++ runtime from MinGW's posix runtime folders. A DLL found in none of
them must be one that Windows itself brings (checked against Wine's, when
Wine is installed); anything else stops the build. Everything is stripped.

The installer's icon is the one the build gave orva-control.exe.
Writes BUILD_DIR/orva-control-VERSION-setup.exe (NSIS) and
BUILD_DIR/orva-control-VERSION-windows-x64.zip, VERSION being the project
version of CMakeLists.txt. Standard library only."""
import os, re, shutil, subprocess, sys, zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
MINGW = "x86_64-w64-mingw32"
PROGRAMS = ["orva-control.exe", "orva-ctl.exe"]
# Qt loads these itself at run time (no import names them): the window-system
# plugin and the native look.
PLUGINS = ["platforms/qwindows.dll", "styles/qwindowsvistastyle.dll"]
RUNTIME_DIRS = [f"/usr/lib/gcc/{MINGW}/12-posix", f"/usr/{MINGW}/lib"]
WINE_SYSTEM_DIRS = ["/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "/usr/lib/wine/x86_64-windows"]


def project_version():
    text = open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8").read()
    m = re.search(r"project\s*\([^)]*\bVERSION\s+([0-9]+(?:\.[0-9]+){1,3})", text)
    if not m:
        sys.exit("no project VERSION in CMakeLists.txt")
    return m.group(1)


def imports(path):
    out = subprocess.run([f"{MINGW}-objdump", "-p", path], check=True, capture_output=True, text=True).stdout
    return re.findall(r"^\s*DLL Name:\s*(\S+)", out, re.M)


def index(dirs):
    """Lower-case DLL name -> path, first folder winning."""
    found = {}
    for d in dirs:
        if os.path.isdir(d):
            for name in sorted(os.listdir(d)):
                if name.lower().endswith(".dll"):
                    found.setdefault(name.lower(), os.path.join(d, name))
    return found


def stage(build, qt, folder):
    """Fills `folder`; returns the DLLs that were left to Windows."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shipped = index([os.path.join(qt, "bin")] + RUNTIME_DIRS)
    system = index(WINE_SYSTEM_DIRS)
    todo = []
    for name in PROGRAMS:
        todo.append((os.path.join(build, "bin", name), name))
    for rel in PLUGINS:
        todo.append((os.path.join(qt, "plugins", rel), rel))
    seen, from_windows, missing = set(), set(), []
    while todo:
        src, rel = todo.pop()
        if not os.path.isfile(src):
            sys.exit(f"missing {src}")
        dst = os.path.join(folder, rel)
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copyfile(src, dst)
        subprocess.run([f"{MINGW}-strip", "--strip-unneeded", dst], check=True)
        for dll in imports(dst):
            key = dll.lower()
            if key in seen:
                continue
            seen.add(key)
            if key in shipped:
                todo.append((shipped[key], os.path.basename(shipped[key])))
            elif key in system or key.startswith(("api-ms-win-", "ext-ms-win-")) or not system:
                from_windows.add(dll)
            else:
                missing.append(f"{dll} (needed by {rel})")
    if missing:
        sys.exit("DLLs neither shipped nor part of Windows: " + ", ".join(missing))
    return sorted(from_windows, key=str.lower)


def files_of(folder):
    out = []
    for d, _, names in os.walk(folder):
        for n in names:
            out.append(os.path.relpath(os.path.join(d, n), folder))
    return sorted(out)


def uninstall_list(folder, path):
    """The uninstaller removes exactly the staged files, then their folders."""
    files = files_of(folder)
    dirs = sorted({os.path.dirname(f) for f in files if os.path.dirname(f)}, key=lambda d: -d.count("/"))
    with open(path, "w", encoding="utf-8") as f:
        for rel in files:
            f.write(f'Delete "$INSTDIR\\{rel.replace("/", chr(92))}"\n')
        for rel in dirs:
            f.write(f'RMDir "$INSTDIR\\{rel.replace("/", chr(92))}"\n')


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.split("\n\n")[1])
    build, qt = (os.path.abspath(a) for a in sys.argv[1:])
    version = project_version()
    work = os.path.join(build, "package")
    name = f"orva-control-{version}-windows-x64"
    folder = os.path.join(work, name)
    os.makedirs(work, exist_ok=True)

    from_windows = stage(build, qt, folder)
    print("from Windows itself:", " ".join(from_windows))
    ico = os.path.join(build, "packaging", "windows", "orva-control.ico") # made by the build
    if not os.path.isfile(ico):
        sys.exit(f"missing {ico}")

    setup = os.path.join(build, f"orva-control-{version}-setup.exe")
    listing = os.path.join(work, "uninstall-files.nsh")
    uninstall_list(folder, listing)
    subprocess.run(["makensis", "-V2", "-NOCD", f"-DVERSION={version}", f"-DSTAGE={folder}",
                    f"-DSTAGE_LIST={listing}", f"-DICON={ico}", f"-DOUTFILE={setup}",
                    os.path.join(HERE, "orva-control.nsi")], check=True)

    archive = os.path.join(build, f"{name}.zip")
    if os.path.exists(archive):
        os.remove(archive)
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for rel in files_of(folder):
            z.write(os.path.join(folder, rel), f"{name}/{rel}")

    for path in (setup, archive):
        print(f"{path}: {os.path.getsize(path) / 1e6:.1f} MB")
    if os.path.getsize(setup) > 25e6:
        print("warning: the installer is above its 25 MB aim", file=sys.stderr)


if __name__ == "__main__":
    main()
