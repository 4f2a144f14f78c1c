#!/usr/bin/env bash
# Starts the built program on a virtual X server with an accessibility bus of
# its own, loads a three-line file into the content list and reads the list
# back through AT-SPI, as a screen reader does: a table named after its
# header whose rows are the file's lines, in order.
# Usage: accessible-rows.sh PATH-TO-PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Keep the user's settings and session out of it.
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
export QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
printf 'pear\napple\nfig\n' >"$work/lines.txt"

# The client: finds the program on the bus, then its content list, and waits
# (30 s at most) until the list holds as many rows as the file has lines.
cat >"$work/read-rows.py" <<'EOF'
import sys
import time

import pyatspi

LIST_NAME = "Content To Sort"
expected = open(sys.argv[1], encoding="utf-8").read().splitlines()
deadline = time.monotonic() + 30


def find_list(node, depth=0):
    if node is None or depth > 20:
        return None
    if node.getRole() == pyatspi.ROLE_TABLE:
        # A table's children are its cells: nothing more to look for there.
        return node if node.name == LIST_NAME else None
    for i in range(node.childCount):
        found = find_list(node.getChildAtIndex(i), depth + 1)
        if found is not None:
            return found
    return None


seen = "no program named Tarnveil on the accessibility bus"
while time.monotonic() < deadline:
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        apps = [app for app in desktop if app is not None and app.name.lower() == "tarnveil"]
        found = find_list(apps[0]) if apps else None
        if apps and found is None:
            seen = "no table named %r in the program" % LIST_NAME
        if found is not None:
            table = found.queryTable()
            rows = [table.getAccessibleAt(row, 0).name for row in range(table.nRows)]
            seen = "rows %r, header %r" % (rows, table.getColumnDescription(0))
            if table.nRows == len(expected):
                print(seen)
                if rows != expected or table.getColumnDescription(0) != LIST_NAME:
                    print("expected rows %r under %r" % (expected, LIST_NAME), file=sys.stderr)
                    sys.exit(1)
                print("the content list reads as the file's lines, in order")
                sys.exit(0)
    except Exception as error:  # the program may still be starting
        seen = "%s: %s" % (type(error).__name__, error)
    time.sleep(0.2)
print("timed out after 30 s: " + seen, file=sys.stderr)
sys.exit(1)
EOF

dbus-run-session -- "$here/on-x-server.sh" bash -c '
    # The accessibility bus, started as a desktop session starts it.
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null || exit 1
    "$0" "$1" & pid=$!
    trap "kill $pid 2>/dev/null; wait $pid 2>/dev/null" EXIT
    # Debian'"'"'s own Python: pyatspi is a Debian package.
    /usr/bin/python3 "$2" "$1"
' "$program" "$work/lines.txt" "$work/read-rows.py"
