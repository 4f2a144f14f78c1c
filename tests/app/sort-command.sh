#!/usr/bin/env bash
# `tarnveil --sort` against the window's "Lines only" save: every row but the
# shuffle sorts a mixed input (UTF-8 with CR LF and blank lines, Windows-1252,
# UTF-16) to the very bytes that tarnveil-bench writes through the window's
# lines-only writer; row 0 of an ASCII file gives what `LC_ALL=C sort -s`
# gives; and a run that cannot read or write says so, ends with 1 and leaves
# the output file as it was.
#   sort-command.sh TARNVEIL TARNVEIL-BENCH
set -euo pipefail
program=$1
bench=$2
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; [ -n "${KEEP:-}" ] || rm -rf "$scratch"; echo "$scratch"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY "$program" "$@"; }

# Words, numbers, cases, accents, scripts, a character above U+FFFF, tabs,
# duplicates, lines without enough words; then words as other encodings
# bring them.
mixed=$scratch/mixed.txt
{
    for i in $(seq 1 300); do
        line=$(printf '%s x%d %s\tB%d' "$((i * 7919 % 1000))" "$((i % 13))" \
            "$(sed -n "$((i % 9 + 1))p" <<'WORDS'
apple Pie
Äpfel und birnen
zebra
Éclair au café
naïve 10 items
日本語 テキスト
ok 🙂 smile
error: disk full
Error: Disk
WORDS
)" "$((i % 5))")
        printf '%s\r\n' "$line"
        [ $((i % 7)) -eq 0 ] && printf '%s\n' "$line"
        [ $((i % 50)) -eq 0 ] && printf '   \n\n'
    done
    printf 'zz last\nZZ last\nzz last\n'
} >"$mixed"
latin=$scratch/latin.txt
printf 'caf\xe9 cr\xe8me\nna\xefve 2\n\xc9t\xe9 3 words here\n' >"$latin"
utf16=$scratch/utf16.txt
# (a lone surrogate among them, which goes out as U+FFFD)
printf '\xff\xfeb\x00 \x00a\x00\n\x00A\x00 \x00b\x00\n\x00x\x00\x00\xd8\n\x00' >"$utf16"
inputs=("$mixed" "$latin" "$utf16")

# What each row that asks gets.
row_arguments() {
    case $1 in
    3 | 7) echo "--arg 2" ;;
    9) echo "--arg e" ;;
    27) echo "--locale en" ;;
    28) echo '--keys {"keys":[{"part":"field","field":2,"delimiter":"spaces","compare":"natural"},{"part":"line","compare":"length","descending":true}]}' ;;
    30) echo "--arg error --ignore-case" ;;
    31) echo "--arg [0-9]{3} --pattern" ;;
    esac
}

rows=$(run --list-sorts | cut -f1)
[ "$(wc -l <<<"$rows")" -eq 28 ] || fail "--list-sorts lists $(wc -l <<<"$rows") rows"
for row in $rows; do
    [ "$row" -eq 25 ] && continue # shuffle: another order every run
    read -r -a given <<<"$(row_arguments "$row")"
    QT_QPA_PLATFORM=offscreen "$bench" --option "$row" "${given[@]}" --format plain \
        --out "$scratch/window-$row" "${inputs[@]}" >/dev/null ||
        { fail "tarnveil-bench --option $row exits $?"; continue; }
    run --sort "$row" "${given[@]}" "${inputs[@]}" >"$scratch/cli-$row" ||
        fail "--sort $row exits $?"
    cmp -s "$scratch/window-$row" "$scratch/cli-$row" || fail "--sort $row differs from the window"
done

# Row 0 of an ASCII file as GNU sort orders bytes, stable, from standard input too.
ascii=$scratch/ascii.txt
awk 'BEGIN {
    chars = "AbZz09 _.,\t-aB"; seed = 7
    for (i = 0; i < 2000; i++) {
        line = "x"
        for (n = i % 9; n > 0; n--) {
            seed = (seed * 1103515245 + 12345) % 2147483648
            line = substr(chars, seed % length(chars) + 1, 1) line
        }
        print line
    }
}' >"$ascii"
LC_ALL=C sort -s "$ascii" >"$scratch/gnu"
run --sort alphabetical "$ascii" | cmp -s - "$scratch/gnu" || fail "--sort 0 differs from sort -s"
run --sort 0 - <"$ascii" | cmp -s - "$scratch/gnu" || fail "--sort 0 - differs from sort -s"

# The input replaced by its own result.
cp "$ascii" "$scratch/self.txt"
run --sort 0 --output "$scratch/self.txt" "$scratch/self.txt" || fail "--output to the input exits $?"
cmp -s "$scratch/self.txt" "$scratch/gnu" || fail "--output to the input wrote something else"

# A folder that takes no new file (the run drops root's privileges for it):
# exit 1, the reason named, the old file intact.
as_user() {
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
    else
        "$@"
    fi
}
mkdir "$scratch/locked"
cp "$ascii" "$scratch/locked/kept.txt"
chmod 755 "$scratch"
chmod 644 "$scratch/locked/kept.txt"
chmod 555 "$scratch/locked"
set +e
err=$(as_user "$program" --sort 0 --output "$scratch/locked/kept.txt" "$scratch/locked/kept.txt" 2>&1)
code=$?
set -e
[ "$code" -eq 1 ] || fail "a write refused exits $code"
[[ $err == "tarnveil: "*"$scratch/locked/kept.txt"* ]] || fail "a write refused says '$err'"
cmp -s "$scratch/locked/kept.txt" "$ascii" || fail "a write refused changed the file"

# A full disk behind standard output, a missing file, keys that are not valid.
check_failure() { # code text arguments...
    local code=$1 text=$2
    shift 2
    set +e
    err=$(run "$@" 2>&1 >/dev/full)
    local got=$?
    set -e
    [ "$got" -eq "$code" ] || fail "$* exits $got, not $code"
    [[ $err == *"$text"* ]] || fail "$* says '$err'"
}
check_failure 1 "No space left on device: standard output" --sort 0 "$ascii"
check_failure 1 "tarnveil: File not found: $scratch/missing.txt" --sort 0 "$ascii" "$scratch/missing.txt"
printf '{"keys":[{"part":"field","field":0}]}' >"$scratch/keys.json"
check_failure 2 "tarnveil: Key 1: " --sort keys --keys-file "$scratch/keys.json" "$ascii"

[ "$failed" -eq 0 ] && echo "--sort gives the window's bytes, and its failures as expected"
exit "$failed"
