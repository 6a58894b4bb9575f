#!/usr/bin/env bash
# The desktop program read through the AT-SPI accessibility tree, in a
# virtual X server and a private D-Bus session (atspi_check.py). Exits 77,
# with the reason, where a piece it needs is missing.
set -uo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "SKIP: $*"; exit 77; }
# Debian's own interpreter: python3-pyatspi is installed for it.
py=/usr/bin/python3
[ -x "$py" ] || py=$(command -v python3) || skip "python3 is missing"
command -v xvfb-run >/dev/null || skip "xvfb-run is missing (package xvfb)"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is missing (package dbus)"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "the AT-SPI bus launcher is missing (package at-spi2-core)"
"$py" -c 'import pyatspi' 2>/dev/null || skip "pyatspi is missing (package python3-pyatspi)"
# A second try when the first fails: xvfb-run -a picks its display number
# before the server takes it, so another virtual X server starting at the
# same moment (another test, another build) can take it first. A fault in
# the program fails both tries.
for try in 1 2; do
    timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" \
        dbus-run-session -- "$py" "$here/atspi_check.py" "$bin"
    rc=$?
    [ "$rc" -eq 0 ] || [ "$rc" -eq 77 ] && exit "$rc"
    [ "$try" -eq 1 ] && echo "atspi-check: the first try failed ($rc); trying once more"
done
exit "$rc"
