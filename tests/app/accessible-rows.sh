#!/usr/bin/env bash
# Starts the built program on a virtual X server with an accessibility bus of
# its own, loads a three-line file into the content list and reads the window
# through AT-SPI, as a screen reader does (read-window.py): the lists as
# tables named after their headers, the buttons, the status line and the
# "Sort Keys" dialog.
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

# Start Sorting opens "Sort Keys" with a pattern as the key.
mkdir -p "$XDG_CONFIG_HOME/Hallowmere"
cat >"$XDG_CONFIG_HOME/Hallowmere/Hallowmere.ini" <<'INI'
[Tarnveil]
Combo1=28
SortKeys="{\"keys\": [{\"part\": \"pattern\", \"pattern\": \"(a)\", \"group\": 1}]}"
INI

dbus-run-session -- "$here/on-x-server.sh" bash -c '
    # The accessibility bus, started as a desktop session starts it.
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null || exit 1
    "$0" "$1" & pid=$!
    trap "kill $pid 2>/dev/null; wait $pid 2>/dev/null" EXIT
    # Debian'"'"'s own Python: pyatspi is a Debian package.
    /usr/bin/python3 "$2" "$1"
' "$program" "$work/lines.txt" "$here/read-window.py"
