#!/usr/bin/env bash
# Keys go where the focus is, under a real window manager (openbox, which
# takes Alt+F4 for itself) in a virtual X server, with keys typed by xdotool:
#  - Alt+F4 asks "Do you want to end this session?"; Return 1.5 s later
#    answers it (Yes), every time;
#  - the help window closed with Alt+F4 gives the keys back to the screen:
#    a user name typed then reaches the host.
# Skipped (exit 77) where openbox, xdotool or Xvfb is missing.
# Usage: xvfb-focus.sh PROGRAM DEMO-HOST SESSION-FILE
set -euo pipefail
program=$1
host=$2
session=$3
for tool in openbox xdotool xvfb-run; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
hostpid=
cleanup() {
    [ -n "$hostpid" ] && kill "$hostpid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$host" --port 0 --log "$work/host.log" 2>"$work/host.err" &
hostpid=$!
for _ in $(seq 50); do
    grep -q 'listening on' "$work/host.err" 2>/dev/null && break
    sleep 0.1
done
port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/host.err")
[ -n "$port" ] || { echo "demo host did not start"; cat "$work/host.err"; exit 1; }
sed "s/^Port=.*/Port=$port/" "$session" >"$work/demo.stn"

cat >"$work/inside.sh" <<'INSIDE'
#!/usr/bin/env bash
set -u
program=$1
work=$2
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
export XDG_CONFIG_HOME="$work/config"
unset QT_QPA_PLATFORM
fail=0

start() {
    "$program" "$work/demo.stn" >"$work/app.log" 2>&1 &
    app=$!
    xdotool search --sync --name '^Quenlix Telnet - ' >/dev/null
    # The sign-on screen is up once the host's log shows its first screen.
    for _ in $(seq 100); do
        grep -q 'Sign On' "$work/host.log" 2>/dev/null && break
        sleep 0.1
    done
    sleep 0.5
}
ended() {  # waits up to 5 s for the program to end
    for _ in $(seq 50); do
        kill -0 "$app" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

for run in 1 2 3; do
    : >"$work/host.log"
    start
    # As a person types it: Alt held while F4 goes down and up.
    xdotool keydown alt key F4 sleep 0.3 keyup alt
    xdotool search --sync --name '^Quenlix Telnet$' >/dev/null
    sleep 1.5
    xdotool key Return
    if ! ended; then
        echo "run $run: Return left the question open"
        fail=1
        kill "$app" 2>/dev/null
        wait "$app" 2>/dev/null
    fi
done

: >"$work/host.log"
start
xdotool key ctrl+F4
xdotool search --sync --name 'Keyboard Layout' >/dev/null
sleep 0.5
xdotool keydown alt key F4 sleep 0.3 keyup alt
sleep 1
xdotool type --delay 50 focus
xdotool key Return
for _ in $(seq 50); do
    grep -q 'FOCUS' "$work/host.log" && break
    sleep 0.1
done
grep -q 'FOCUS' "$work/host.log" || { echo "keys typed after the help window closed did not reach the host"; fail=1; }
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null
kill "$wm" 2>/dev/null
exit $fail
INSIDE
chmod +x "$work/inside.sh"
timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" "$work/inside.sh" "$program" "$work"
echo "ok"
