#!/usr/bin/env bash
# Two sessions in tabs of one window, under a real window manager (openbox)
# in a virtual X server, with keys typed by xdotool, each session on a demo
# host of its own (each host's log names its connections):
#  - two session files on the command line open two tabs, the first in front;
#  - a user name typed in each tab signs on at that tab's host only;
#  - Ctrl+PageDown, Ctrl+PageUp and Alt+1 switch tabs (the window's title
#    names the session in front);
#  - closing the window asks once; the next start without a file opens both
#    sessions again, connected;
#  - Window > Move to New Window puts the tab in front in a window of its own,
#    where typing reaches its host; Window > Move to Main Window brings it back;
#  - the host of the tab behind ending its session takes no key from the
#    tab in front.
# Skipped (exit 77) where openbox, xdotool or Xvfb is missing.
# Usage: xvfb-tabs.sh PROGRAM DEMO-HOST SESSION-FILE
set -euo pipefail
program=$1
host=$2
session=$3
for tool in openbox xdotool xvfb-run; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A demo host with its log in $work/NAME.log and a session file NAME.stn.
serve() {
    local name=$1
    "$host" --port 0 --log "$work/$name.log" 2>"$work/$name.err" &
    pids+=($!)
    echo $! >"$work/$name.pid"
    for _ in $(seq 50); do
        grep -q 'listening on' "$work/$name.err" 2>/dev/null && break
        sleep 0.1
    done
    local port
    port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/$name.err")
    [ -n "$port" ] || { echo "demo host $name did not start"; cat "$work/$name.err"; exit 1; }
    sed -e "s/^Port=.*/Port=$port/" -e "s/^Name=.*/Name=\"$name\"/" \
        -e 's/^Terminal Name=.*/Terminal Name="IBM-5292-2"/' \
        -e 's/^Terminal Caract=.*/Terminal Caract="24 * 80"/' "$session" >"$work/$name.stn"
}
serve Alpha
serve Beta

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
say() { echo "$*"; fail=1; }

# Waits up to 10 s for a line matching $2 in log $1, at least $3 times.
logged() {
    for _ in $(seq 100); do
        [ "$(grep -c -- "$2" "$work/$1.log" 2>/dev/null)" -ge "${3:-1}" ] && return 0
        sleep 0.1
    done
    return 1
}
front() {  # waits for the window to name session $1
    for _ in $(seq 50); do
        xdotool search --name "^Quenlix Telnet - $1\$" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}
ended() {
    for _ in $(seq 50); do
        kill -0 "$app" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

"$program" "$work/Alpha.stn" "$work/Beta.stn" >"$work/app.log" 2>&1 &
app=$!
front Alpha || say "the first file's session is not in front"
logged Alpha 'Sign On' && logged Beta 'Sign On' || say "the two tabs did not both connect"
sleep 0.5
xdotool type --delay 50 alice
xdotool key Return
logged Alpha 'signed on: ALICE' || say "the user typed in the first tab did not sign on there"
xdotool key ctrl+Next
front Beta || say "Ctrl+PageDown did not bring the second tab to the front"
sleep 0.3
xdotool type --delay 50 bob
xdotool key Return
logged Beta 'signed on: BOB' || say "the user typed in the second tab did not sign on there"
grep -q 'BOB' "$work/Alpha.log" && say "the second tab's keys reached the first tab's host"
grep -q 'ALICE' "$work/Beta.log" && say "the first tab's keys reached the second tab's host"
xdotool key alt+1
front Alpha || say "Alt+1 did not bring the first tab to the front"
xdotool key ctrl+Prior
front Beta || say "Ctrl+PageUp did not go round to the last tab"

# The window's close: one question for both sessions.
xdotool keydown alt key F4 sleep 0.3 keyup alt
xdotool search --sync --name '^Quenlix Telnet$' >/dev/null
sleep 1
xdotool key Return
ended || { say "one answer did not close the window"; kill "$app"; }
wait "$app" 2>/dev/null

# The next start, with no file named: the workspace again.
"$program" >"$work/app2.log" 2>&1 &
app=$!
front Alpha || say "the workspace's first session is not in front at the next start"
logged Alpha 'Sign On' 2 && logged Beta 'Sign On' 2 || say "the workspace's sessions were not both reopened"
sleep 0.5
windows() { xdotool search --name '^Quenlix Telnet - ' 2>/dev/null | wc -l; }
xdotool key ctrl+Next
front Beta || say "Ctrl+PageDown did not switch after the restart"
xdotool key alt+w
sleep 0.5
xdotool key v
for _ in $(seq 50); do [ "$(windows)" -ge 2 ] && break; sleep 0.1; done
[ "$(windows)" -ge 2 ] || say "Move to New Window made no second window"
sleep 0.5
xdotool type --delay 50 dave
xdotool key Return
logged Beta 'signed on: DAVE' || say "keys typed in the moved-out window did not reach its host"
xdotool key alt+w
sleep 0.5
xdotool key m
for _ in $(seq 50); do [ "$(windows)" -le 1 ] && break; sleep 0.1; done
[ "$(windows)" -le 1 ] || say "Move to Main Window left the second window"
xdotool key alt+1
front Alpha || say "Alt+1 after the tab came back"
# Behind, the first tab's host goes; the keys typed in front stay there.
xdotool key ctrl+Next
front Beta || say "Ctrl+PageDown did not switch after the restart"
kill "$(cat "$work/Alpha.pid")"
sleep 0.5
xdotool type --delay 50 90
xdotool key Return
logged Beta 'signed off: DAVE' || say "a host ending the hidden session took keys from the tab in front"
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null
kill "$wm" 2>/dev/null
exit $fail
INSIDE
chmod +x "$work/inside.sh"
timeout 150 xvfb-run -a -s "-screen 0 1280x1024x24" "$work/inside.sh" "$program" "$work"
echo "ok"
