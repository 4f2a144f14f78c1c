#!/usr/bin/env bash
# Runs a command on a virtual X server of its own and exits with its status.
#   on-x-server.sh COMMAND [ARGUMENT...]
# Xvfb picks a free display itself (-displayfd) and tells it once it accepts
# clients, so two tests never pick the same number, and the server is stopped
# and waited for before this script ends: the next test never meets a server
# still going down, which takes its display's socket and lock file with it.
# Clients get a cookie of their own (XAUTHORITY) and no TCP.
set -euo pipefail
dir=$(mktemp -d)
server=""
stop() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap stop EXIT

# One MIT-MAGIC-COOKIE-1 entry for any address and any display number: the
# number is not known before the server has picked it.
{
    printf '\377\377\000\000\000\000\000\022MIT-MAGIC-COOKIE-1\000\020'
    head -c 16 /dev/urandom
} >"$dir/auth"

mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -auth "$dir/auth" \
    3>"$dir/display" >"$dir/server.log" 2>&1 &
server=$!
# The server writes its display number once it listens; if it ends first, the
# read sees the end of the pipe instead.
number=""
read -r -t 30 number <"$dir/display" || true
if [ -z "$number" ]; then
    echo "Xvfb did not start:" >&2
    cat "$dir/server.log" >&2
    exit 1
fi

# A client must get through before the command starts: one that cannot is
# worth a second look at the server, not a failed test of the program.
export DISPLAY=":$number" XAUTHORITY="$dir/auth"
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
if ! xdpyinfo >/dev/null 2>"$dir/client.log"; then
    echo "no client gets through to the X server on $DISPLAY:" >&2
    cat "$dir/client.log" "$dir/server.log" >&2
    exit 1
fi

set +e
"$@"
status=$?
set -e
exit "$status"
