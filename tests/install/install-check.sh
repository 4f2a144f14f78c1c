#!/usr/bin/env bash
# Installs the program into a scratch root and builds the Debian package, and
# checks that both hold the program, the desktop entry, the icon, the
# metainfo and the manual page; runs desktop-file-validate, appstreamcli, man
# and lintian when they are installed; and checks what the command line
# answers without a display.
#   install-check.sh BUILD-FOLDER PROGRAM
set -euo pipefail
build=$1
program=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
id=example.hallowmere.Tarnveil
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

expect_files() { # root
    local root=$1
    for file in usr/bin/tarnveil \
                usr/share/applications/$id.desktop \
                usr/share/metainfo/$id.metainfo.xml \
                usr/share/icons/hicolor/scalable/apps/$id.svg \
                usr/share/icons/hicolor/48x48/apps/$id.png \
                usr/share/icons/hicolor/256x256/apps/$id.png \
                usr/share/man/man1/tarnveil.1.gz; do
        [ -s "$root/$file" ] || fail "$root has no $file"
    done
    [ -x "$root/usr/bin/tarnveil" ] || fail "$root/usr/bin/tarnveil is not executable"
}

# cmake --install into a scratch root.
DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
expect_files "$scratch/root"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$scratch/root/usr/share/applications/$id.desktop" ||
        fail "desktop-file-validate"
else
    echo "desktop-file-validate not installed: skipped"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/$id.metainfo.xml" ||
        fail "appstreamcli validate"
else
    echo "appstreamcli not installed: skipped"
fi
# The manual page renders without a warning from groff.
if command -v man >/dev/null; then
    warnings=$(MANWIDTH=80 man -l --warnings "$scratch/root/usr/share/man/man1/tarnveil.1.gz" \
               2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns: $warnings"
    MANWIDTH=80 man -l "$scratch/root/usr/share/man/man1/tarnveil.1.gz" 2>/dev/null |
        grep -q -- '--list-sorts' || fail "the manual page does not render --list-sorts"
else
    echo "man not installed: skipped"
fi

# The Debian package, unpacked.
if command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
    (cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
    deb=$(ls "$scratch"/package/tarnveil_*.deb)
    dpkg-deb -x "$deb" "$scratch/unpacked"
    expect_files "$scratch/unpacked"
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libqt6widgets6 libxlsxwriter; do
        [[ $depends == *$library* ]] || fail "Depends lacks $library: $depends"
    done
    [[ $(dpkg-deb -f "$deb" Recommends) == *libreoffice-calc* ]] || fail "no Recommends"
    [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer"
    if command -v lintian >/dev/null; then
        # Nothing about the manual page: there, compressed, and readable.
        tags=$(lintian --tag-display-limit 0 "$deb" 2>/dev/null |
               grep -E 'manpage|manual-page' || true)
        [ -z "$tags" ] || fail "lintian: $tags"
    else
        echo "lintian not installed: manual page in the package not checked"
    fi
else
    echo "dpkg-deb or dpkg-shlibdeps not installed: package skipped"
fi

# The command line, with no display to open a window on.
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@"; }
out=$(run --version) || fail "--version exits $?"
[[ $out =~ ^tarnveil\ [0-9]+\.[0-9]+ ]] || fail "--version prints '$out'"
out=$(run --help) || fail "--help exits $?"
[[ $out == *"Usage: tarnveil"* ]] || fail "--help prints no usage"
[[ $out == *"--sort"* && $out == *"--list-sorts"* ]] || fail "--help names no --sort, --list-sorts"
out=$(run --list-sorts) || fail "--list-sorts exits $?"
[[ $out == $'0\talphabetical\tSort Content Alphabetically\n'* ]] ||
    fail "--list-sorts starts with '${out%%$'\n'*}'"
out=$(printf 'b\na\n' | run --sort 0) || fail "--sort 0 exits $?"
[ "$out" = $'a\nb' ] || fail "--sort 0 prints '$out'"
set +e
err=$(run --no-such-option 2>&1 >/dev/null)
code=$?
set -e
[ "$code" -eq 2 ] || fail "an unknown option exits $code, not 2"
[[ $err == *"Usage: tarnveil"* ]] || fail "an unknown option prints no usage on stderr"

[ "$failed" -eq 0 ] && echo "installed files, package and command line as expected"
exit "$failed"
