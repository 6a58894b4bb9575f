#!/usr/bin/env bash
# Starts the demo host and the desktop program in a virtual X server, waits
# until the sign-on screen is up, saves a screenshot and checks that the
# host's colours are where the host put them.
set -euo pipefail
bin=$1
work=$(mktemp -d)
host_pid=
cleanup() {
    [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$bin/quenlix-demo-host" --port 0 2>"$work/host.log" &
host_pid=$!
for _ in $(seq 50); do
    grep -q 'listening on' "$work/host.log" 2>/dev/null && break
    sleep 0.1
done
port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/host.log")
[ -n "$port" ] || { echo "demo host did not start"; cat "$work/host.log"; exit 1; }

sed "s/^Port=.*/Port=$port/" "$bin/demo.stn" > "$work/demo.stn"
XDG_CONFIG_HOME="$work/config" QUENLIX_SCREENSHOT="$work/shot.png" \
    timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" "$bin/quenlix-telnet" "$work/demo.stn"
[ -s "$work/shot.png" ] || { echo "no screenshot"; exit 1; }
[ -n "${QUENLIX_KEEP_SCREENSHOT:-}" ] && cp "$work/shot.png" "$QUENLIX_KEEP_SCREENSHOT"
QUENLIX_CHECK_SCREENSHOT="$work/shot.png" "$bin/test_view" --gtest_filter='Screenshot.*'
