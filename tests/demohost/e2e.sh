#!/bin/sh
# The headless front end against the demo host on loopback: sign-on, main
# menu, data entry with its echo, the list with rolls, sign-off, and the
# refusal of a device name that is in use.
# Usage: e2e.sh DEMO_HOST CLI WORK_DIR
set -u
host_bin=$1
cli_bin=$2
work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

"$host_bin" --port 0 --log host.log 2>host.err &
host_pid=$!
trap 'kill "$host_pid" 2>/dev/null; wait "$host_pid" 2>/dev/null' EXIT
port=
for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9][0-9]*\).*/\1/p' host.err)
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { echo "demo host did not start"; cat host.err; exit 1; }

failures=0
expect() {  # expect FILE TEXT
    if ! grep -qF -- "$2" "$1"; then
        echo "FAIL: $1 lacks: $2"
        failures=$((failures + 1))
    fi
}

cat >session.txt <<'SCRIPT'
connect
wait
screen
type demo
key Enter
wait
screen
type 42
key Enter
wait
screen
cursor 23 8
type 1 
key Enter
wait
cursor 3 39
type Hello World
cursor 4 39
type abc
cursor 7 39
type 123
cursor 13 39
type MUST
cursor 16 39
type lower
cursor 19 39
type secret
key Enter
wait
screen
key F3
wait
type 2
key Enter
wait
screen
key PageDown
wait
key PageDown
wait
key PageDown
wait
key PageDown
wait
key PageDown
wait
screen
key PageUp
wait
screen
key F3
wait
key F3
wait
screen
disconnect
SCRIPT
"$cli_bin" --host 127.0.0.1 --port "$port" --terminal IBM-3477-FC --screen "27 * 132" \
    session.txt >session.out 2>&1
echo "session exit status $?" >>session.out
expect session.out "session exit status 0"
expect session.out "Sign On"
expect session.out "Display  . . . . :   QPADEV"
expect session.out "cursor 6 53"
expect session.out "Quenlix Demo Host Main Menu"
expect session.out "User: DEMO"
expect session.out "Option 42 is not valid"
expect session.out "Data Entry: What the Host Received"
expect session.out "Alphanumeric shift        'Hello World'  sent"
expect session.out "Alphabetic only           'abc'  sent"
expect session.out "Digits only               '123'  sent"
expect session.out "Mandatory enter           'MUST'  sent"
expect session.out "Monocase                  'LOWER'  sent"
expect session.out "Bypass (protected)        'PROTECTED'"
expect session.out "Non-display               'secret'  sent"
expect session.out "AID Enter   Fields sent 6"
expect session.out "001   ITEM0001"
expect session.out "More..."
expect session.out "091   ITEM0091"
expect session.out "Bottom"
expect session.out "073   ITEM0073"
expect session.out "Signed off."

printf 'connect\nwait\n' >inuse.txt
"$cli_bin" --host 127.0.0.1 --port "$port" --display-name INUSE inuse.txt >inuse.out 2>&1
expect inuse.out "message: Your display is already in use"
expect inuse.out "closed"

# A 24 x 80 terminal signs on automatically, and System Request 90 is the
# end of the session (the front end's disconnect sends it).
printf 'connect\nwait\nscreen\ndisconnect\n' >auto.txt
"$cli_bin" --host 127.0.0.1 --port "$port" --terminal IBM-5292-2 --screen "24 * 80" \
    --user auto --password pw --curlib QGPL auto.txt >auto.out 2>&1
expect auto.out "Signed on automatically as AUTO"
expect auto.out "Library: QGPL"

sleep 0.3
expect host.log "<- SB TERMINAL-TYPE IS \"IBM-3477-FC\""
expect host.log "aid=Enter cursor=6,57 field 6,53=\"DEMO      \""
expect host.log "device INUSE is already in use: closing the connection"
expect host.log "System Request 90: sign-off, closing the connection"

if [ "$failures" -ne 0 ]; then
    for f in session.out inuse.out auto.out host.log; do echo "== $f"; cat "$f"; done
    exit 1
fi
echo "demo host end-to-end: all checks passed"
