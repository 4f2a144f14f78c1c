#!/usr/bin/env bash
# Starts the built program on a virtual X server and checks that its window
# maps with the title "Tarnveil". Usage: smoke.sh PATH-TO-PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Keep the user's settings out of it.
export HOME="$work" XDG_CONFIG_HOME="$work/config"
unset QT_QPA_PLATFORM

"$here/on-x-server.sh" bash -c '
    "$0" & pid=$!
    trap "kill $pid 2>/dev/null; wait $pid 2>/dev/null" EXIT
    for _ in $(seq 100); do
        id=$(xwininfo -root -tree | awk "/\"Tarnveil\"/ { print \$1; exit }")
        if [ -n "$id" ] && xwininfo -id "$id" | grep -q "Map State: IsViewable"; then
            xwininfo -id "$id" | grep -E "Width|Height"
            echo "window $id maps with the title Tarnveil"
            exit 0
        fi
        kill -0 $pid 2>/dev/null || { echo "the program ended early" >&2; exit 1; }
        sleep 0.2
    done
    echo "no window titled Tarnveil within 20 s" >&2
    exit 1
' "$program"
