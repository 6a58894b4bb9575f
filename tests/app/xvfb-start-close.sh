#!/bin/sh
# Starts the desktop program under Xvfb with a session file naming the demo
# host, waits until it has connected, closes it through its close sequence,
# and checks what it stored (only what the run changed); then starts it
# again and checks that the stored preferences and placement were taken up
# and left unchanged.
# Usage: xvfb-start-close.sh PROGRAM DEMO-HOST SESSION-FILE
set -eu
program=$1
host=$2
session=$3

work=$(mktemp -d)
hostpid=
cleanup() {
    [ -n "$hostpid" ] && kill "$hostpid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

port=$((20000 + $$ % 20000))
"$host" --port "$port" >"$work/host.log" 2>&1 &
hostpid=$!
sleep 0.5

sed "s/^Port=.*/Port=$port/" "$session" >"$work/demo session.stn"
export XDG_CONFIG_HOME="$work/config"
export QUENLIX_CLOSE_WHEN_READY=1
unset QT_QPA_PLATFORM
conf="$XDG_CONFIG_HOME/Quenlix/Products/Telnet.conf"

run() {
    xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "\"$work/demo session.stn\""
}

run || { echo "first run failed: $?"; exit 1; }
[ -f "$conf" ] || { echo "no settings stored"; exit 1; }
grep -q '^WindowPos=' "$conf" || { echo "no WindowPos"; cat "$conf"; exit 1; }
grep -q "^File1=.*demo session.stn" "$conf" || { echo "no recent entry"; cat "$conf"; exit 1; }
# Only what the run changed is stored: the cursor form was left as read.
if grep -q '^CursorForm=' "$conf"; then echo "an unchanged CursorForm stored"; cat "$conf"; exit 1; fi

# Preferences and a placement of our own: the second run must take them up
# and leave them as they were.
sed -i -e 's/^WindowPos=.*/WindowPos="0,1,-1,-1,-1,-1,40,50,940,650"/' "$conf"
printf '\n[Options]\nCursorForm=2\n' >>"$conf"
run || { echo "second run failed: $?"; exit 1; }
grep -q '^CursorForm=2' "$conf" || { echo "CursorForm not restored"; cat "$conf"; exit 1; }
grep -q '^WindowPos="0,1,-1,-1,-1,-1,40,50,940,650"' "$conf" ||
    { echo "placement not restored"; grep WindowPos "$conf"; exit 1; }
echo "ok"
