#!/bin/sh
# Runs one whole GUI session (start, select entries, search, settings, quit) under valgrind's
# memcheck and fails on any invalid read or write, or on a definite leak whose allocation
# passes through the project's own code. Build first; runs under Xvfb without a display.
set -e
cd "$(dirname "$0")/.."
build="${1:-build}"
reports=$(mktemp -d /tmp/quillmate-memcheck-XXXXXX)
trap 'rm -rf "$reports"' EXIT
# Forked children that have not yet exec'd (GLib's bus autolaunch through dbus-launch, say) write
# no report: theirs would be cut short at the exec and belongs to no code of the scenario.
set -- valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite --num-callers=50 \
    --child-silent-after-fork=yes --xml=yes --xml-file="$reports/%p.xml" \
    "$build/tests/gui_tests" --gtest_filter='ScenarioTest.*'
export G_SLICE=always-malloc G_DEBUG=gc-friendly GSETTINGS_BACKEND=memory
if [ -z "$DISPLAY" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@" || { echo "The scenario failed under valgrind."; exit 1; }
else
    "$@" || { echo "The scenario failed under valgrind."; exit 1; }
fi
python3 - "$reports" "$(realpath "$build/tests/gui_tests")" <<'PYTHON'
import pathlib
import re
import sys
import xml.etree.ElementTree as ElementTree

folder, binary = sys.argv[1], sys.argv[2]


def header(path, tag):
    """A number from a report's head, read as text: a report cut short still names its process."""
    found = re.search(rb"<" + tag + rb">(\d+)</" + tag + rb">", path.read_bytes()[:4096])
    return int(found.group(1)) if found else None


# Only the scenario process is examined: the one report whose parent wrote none.
paths = sorted(pathlib.Path(folder).glob("*.xml"))
pids = {header(path, b"pid") for path in paths}
scenario = [path for path in paths if header(path, b"ppid") not in pids]
if len(scenario) != 1:
    sys.exit(f"memcheck: expected one report of the scenario process, found {len(scenario)} of {len(paths)}")
try:
    roots = [ElementTree.parse(scenario[0]).getroot()]
except ElementTree.ParseError as error:
    sys.exit(f"memcheck: the scenario's report {scenario[0].name} is incomplete ({error}); "
             "valgrind or the scenario ended before writing it out")
# Frames of the allocator and the C/C++ runtime are skipped when asking who made an allocation.
runtime = ("vgpreload", "/libc.so", "/libstdc++.so", "/ld-linux")


def frames(error):
    return [(frame.findtext("obj") or "", (frame.findtext("dir") or "") + "/" + (frame.findtext("file") or "")
             + ":" + (frame.findtext("line") or ""), frame.findtext("fn") or "?") for frame in error.iter("frame")]


def made_by_us(stack):
    """The first frame outside the runtime lies in the program's own code."""
    for obj, where, _ in stack:
        if not any(part in obj for part in runtime):
            return obj == binary
    return False


bad = []
for error in (error for root in roots for error in root.iter("error")):
    kind = error.findtext("kind")
    stack = frames(error)
    if kind in ("InvalidRead", "InvalidWrite", "InvalidFree", "MismatchedFree"):
        # The dynamic loader's optimised string functions read whole words past the end of
        # its own strings; valgrind reports them although they cannot fault.
        if any("/elf/dl-" in where for _, where, _ in stack[:2]):
            continue
        bad.append((kind, stack[:10]))
    elif kind in ("UninitCondition", "UninitValue") and any(obj == binary for obj, _, _ in stack[:3]):
        bad.append((kind, stack[:10]))
    elif kind == "Leak_DefinitelyLost" and made_by_us(stack):
        bad.append((kind, stack[:10]))
for kind, stack in bad:
    print(kind)
    for _, where, function in stack:
        print("    " + function + " " + where)
errors = sum(1 for root in roots for _ in root.iter("error"))
print(f"memcheck: {len(bad)} findings in the project's own code ({errors} reports in all, the GTK stack's included)")
sys.exit(1 if bad else 0)
PYTHON
