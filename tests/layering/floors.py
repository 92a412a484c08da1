#!/usr/bin/python3
"""No folder of src/ includes one above it.

The folders stand on floors, the ground floor first. A file may include
files of its own folder and of folders on lower floors, never of a folder on
its own floor or above (so two subsystems side by side do not lean on each
other either), and nothing from outside src/.

    tests/layering/floors.py SRC_DIR

Exit status 0 when every include keeps to this; otherwise each offending line
is listed. A new folder under src/ must be given its floor here.
"""
import os
import re
import sys
import tempfile

FLOORS = [
    ["qtui", "line"],                   # what the windows share; the line of the programs without one
    ["link"],                           # the interfaces, the projector link, the serial control
    ["settings", "panel", "reference"], # the subsystems on the link, and their windows
    ["app", "ctl", "pjlink"],           # the programs: orva-control, orva-ctl, orva-pjlinkd
]

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')
SOURCE = re.compile(r"\.(h|hpp|cpp|cc)$")


def floor_of():
    return {folder: level for level, folders in enumerate(FLOORS) for folder in folders}


def offences(src):
    """Every include that breaks the rule, as 'file:line: why'."""
    floors = floor_of()
    found = []
    for entry in sorted(os.listdir(src)):
        if os.path.isdir(os.path.join(src, entry)) and entry not in floors:
            found.append(f"{entry}/: a folder without a floor (give it one in {sys.argv[0]})")
    for folder in sorted(f for f in floors if os.path.isdir(os.path.join(src, f))):
        for root, _, files in os.walk(os.path.join(src, folder)):
            for name in sorted(f for f in files if SOURCE.search(f)):
                path = os.path.join(root, name)
                with open(path, encoding="utf-8", errors="replace") as text:
                    for number, line in enumerate(text, 1):
                        m = INCLUDE.match(line)
                        if not m or "/" not in m.group(1):
                            continue
                        target = m.group(1).split("/", 1)[0]
                        where = f"{os.path.relpath(path, src)}:{number}: includes {m.group(1)}"
                        if line.lstrip().startswith("#include <") and target not in floors:
                            continue  # a system or library header (<QtGui/...>, <sys/...>)
                        if target not in floors:
                            found.append(f"{where}, which is not in src/")
                        elif target != folder and floors[target] >= floors[folder]:
                            side = "beside" if floors[target] == floors[folder] else "above"
                            found.append(f"{where}, a folder {side} {folder}/")
    return found


def self_check():
    """The check itself sees an upward, a sideways and an outside include."""
    with tempfile.TemporaryDirectory() as src:
        files = {
            "link/link.h": '#include "link/view.h"\n#include <QtCore/QObject>\n#include <sys/ioctl.h>\n',
            "panel/panel.cpp": '#include "link/link.h"\n#include "qtui/qt_twips.h"\n',
            "settings/dialog.cpp": '#include "app/program.h"\n',
            "reference/window.cpp": '  #  include "panel/panel.h"\n',
            "app/main.cpp": '#include "support/fakes.h"\n',
        }
        for path, text in files.items():
            os.makedirs(os.path.join(src, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(src, path), "w") as f:
                f.write(text)
        got = offences(src)
        expected = [
            "settings/dialog.cpp:1: includes app/program.h, a folder above settings/",
            "reference/window.cpp:1: includes panel/panel.h, a folder beside reference/",
            "app/main.cpp:1: includes support/fakes.h, which is not in src/",
        ]
        return sorted(got) == sorted(expected), got


def main():
    if len(sys.argv) != 2 or not os.path.isdir(sys.argv[1]):
        sys.exit(f"usage: {sys.argv[0]} SRC_DIR")
    sees, got = self_check()
    if not sees:
        print("the check itself is broken; on a tree made to fail it found:", *got, sep="\n  ")
        return 1
    found = offences(sys.argv[1])
    for offence in found:
        print(offence)
    if found:
        print(f"{len(found)} include(s) against the floors: ground floor first, " +
              " | ".join(", ".join(f) for f in FLOORS))
        return 1
    print("every include keeps to its floor")
    return 0


if __name__ == "__main__":
    sys.exit(main())
