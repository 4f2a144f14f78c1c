#!/usr/bin/env bash
# On a virtual X server, the same lines reach the content list three ways: as
# a file named on the command line, pasted with Ctrl+V from the clipboard,
# and piped into `tarnveil -`. Each time F5 starts the sort and "Copy Results
# To Clipboard" is clicked; the three clipboard texts must be the sorted
# rows, the same each time. Usage: paste-and-pipe.sh PATH-TO-PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" PROGRAM="$program" WORK="$work"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
# CR LF, a lone CR, blank and space-only lines, spaces kept, non-ASCII, a TAB
# and a last line without a break.
printf 'pear\r\n\r\n   \nApple\rfig\n\xc3\xa9t\xc3\xa9\n  banana \n\tkiwi' >"$work/lines.txt"

"$here/on-x-server.sh" bash -c '
    set -euo pipefail
    # The viewable top-level windows titled Tarnveil: the main window, and a
    # message box while one is up.
    windows() {
        xwininfo -root -tree | awk "/\"Tarnveil\": \\(\"tarnveil\"/ { print \$1 }" |
            while read -r id; do
                if xwininfo -id "$id" | grep -q "Map State: IsViewable"; then echo "$id"; fi
            done
    }
    wait_for() { # count: waits until that many such windows show, at most 20 s
        for _ in $(seq 200); do
            [ "$(windows | wc -l)" -eq "$1" ] && return 0
            sleep 0.1
        done
        echo "no $1 window(s) titled Tarnveil within 20 s" >&2
        return 1
    }
    answer_box() { # the box that the command shows: OK, and it goes
        wait_for 2
        xdotool key Return
        wait_for 1
    }
    for mode in file paste pipe; do
        case $mode in
            file) "$PROGRAM" "$WORK/lines.txt" & ;;
            paste) xclip -selection clipboard -t UTF8_STRING -i "$WORK/lines.txt"
                   "$PROGRAM" & ;;
            pipe) cat "$WORK/lines.txt" | "$PROGRAM" - & ;;
        esac
        pid=$!
        wait_for 1
        id=$(windows)
        xdotool windowfocus --sync "$id"
        sleep 1.5 # the files named on the command line load once the window is up (slower while other tests run)
        [ "$mode" = paste ] && xdotool key ctrl+v
        xdotool key F5
        answer_box # "Done."
        # "Copy Results To Clipboard": 120 twips in, 6840 down, 3840 by 405.
        xdotool mousemove --window "$id" 100 469 click 1
        answer_box # "Results have been copied ..."
        xclip -o -selection clipboard >"$WORK/copied.$mode"
        kill $pid 2>/dev/null || true
        wait $pid 2>/dev/null || true
    done
'
# The rows in code unit order, as the clipboard holds them: trailing spaces
# dropped, CR LF after each.
printf '\tkiwi\r\n  banana\r\nApplefig\r\npear\r\n\xc3\xa9t\xc3\xa9\r\n' >"$work/expected"
for mode in file paste pipe; do
    if ! cmp -s "$work/expected" "$work/copied.$mode"; then
        echo "the $mode did not give the sorted rows:" >&2
        diff <(od -c "$work/expected") <(od -c "$work/copied.$mode") >&2 || true
        exit 1
    fi
done
echo "a file, a paste with Ctrl+V and a pipe into tarnveil - gave the same results"
