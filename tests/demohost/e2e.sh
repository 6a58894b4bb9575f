#!/bin/sh
# The headless front end against the demo host on loopback: sign-on, main
# menu, help, data entry with its echo, the list with rolls, the attention
# menu, the pop-up, sign-off, and the refusal of a device name that is in use.
# Usage: e2e.sh DEMO_HOST CLI WORK_DIR
set -u
host_bin=$1
cli_bin=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

. "$here/e2e-common.sh"
expect_re() {  # expect_re FILE EXTENDED-REGEX
    if ! grep -qE -- "$2" "$1"; then
        echo "FAIL: $1 lacks a line matching: $2"
        failures=$((failures + 1))
    fi
}
reject_re() {  # reject_re FILE EXTENDED-REGEX
    if grep -qE -- "$2" "$1"; then
        echo "FAIL: $1 has a line matching: $2"
        failures=$((failures + 1))
    fi
}
last_row() {  # last_row FILE TEXT: every screen row holding TEXT is the last one
    if ! awk -v t="$2" 'seen { if ($0 !~ /^cursor /) bad = 1; seen = 0 }
                        index($0, t) { seen = 1; n++ }
                        END { exit !(n > 0 && !bad) }' "$1"; then
        echo "FAIL: $1: \"$2\" is missing or not on the last row"
        failures=$((failures + 1))
    fi
}

# Sign-on with an empty and a wrong user; the menu with an unknown option,
# Help and F12; the data-entry screen twice, with one value of each field
# kind typed and exited through the field keys, sent by Field+ on the
# auto-enter field, then the host's checks; the list with rolls and the
# attention menu; the pop-up; sign-off.
cat >session.txt <<'SCRIPT'
connect
wait
screen
key Enter
wait
screen
type 1bad
key Enter
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
key Help
wait
screen
key F12
wait
cursor 23 8
type 1
key Enter
wait
cursor 3 39
type Hello World!
cursor 4 39
type ab1c
cursor 5 39
type N5
cursor 6 39
type 3,5x
cursor 7 39
type 12-3
cursor 8 39
type 42
key FieldMinus
cursor 9 39
type 9
cursor 10 39
type 42
key FieldPlus
type 42
key FieldPlus
type ABCDE
type MUST
cursor 14 39
type FXR12
status
key FieldPlus
cursor 16 39
type lower
cursor 17 39
type dup
cursor 18 39
type x
cursor 19 39
type secret
screen
cursor 15 39
type AE
key FieldPlus
wait
screen
key Enter
wait
cursor 12 39
type AB
key Enter
screen
cursor 12 39
type ABCDE
key Enter
screen
type MUST
cursor 8 39
type 7
key FieldPlus
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
key Attn
wait
screen
type 1
key Enter
wait
screen
key F3
wait
type 6
key Enter
wait
screen
key Enter
wait
screen
type 42
key Enter
wait
screen
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
expect session.out "Type your user name."
expect session.out "User 1BAD does not exist."
expect session.out "Quenlix Demo Host Main Menu"
expect session.out "User: DEMO"
expect session.out "Option 42 is not valid"
expect session.out "Help: Quenlix Demo Host"
# Typed into the data-entry fields: a non-display field shows nothing, and
# field exit required keeps the cursor on the last position.
reject_re session.out ": +secret"
expect session.out '"cursorRow":14,"cursorColumn":43'
expect session.out "Data Entry: What the Host Received"
expect session.out "Description (alphanumeric)  'Hello World!'  sent"
expect session.out "Surname (alphabetic only)   'abc'  sent"
expect session.out "Reference (numeric shift)   'N5'  sent"
expect session.out "Amount (numeric only)       '3,5'  sent"
expect session.out "Quantity (digits only)      '123'  sent"
expect session.out "Balance (signed numeric)    '-42'  sent"
expect session.out "Host value (I/O)            ''"
expect session.out "Order number (zero fill)    '0000042'  sent"
expect session.out "Price (blank fill)          '     42'  sent"
expect session.out "Post code (mandatory fill)  'ABCDE'  sent"
expect session.out "Customer (mandatory enter)  'MUST'  sent"
expect session.out "Account (field exit)        'FXR12'  sent"
expect session.out "Quick code (auto-enter)     'AE'  sent"
expect session.out "City (monocase)             'LOWER'  sent"
expect session.out "Remark (dup enable)         'dup'  sent"
expect session.out "Branch (protected)          'PROTECTED'"
reject_re session.out "'PROTECTED'  sent"
expect session.out "PIN (non-display)           'secret'  sent"
expect session.out "Cursor 15,41   AID Enter   Fields sent 15"
# The terminal checks the mandatory fields itself: nothing goes to the host,
# and the cursor waits in the field.
expect session.out "refused: Mandatory fill: fill or clear it"
expect session.out "refused: Mandatory field: enter data first"
expect session.out "Balance (signed numeric)    '7'  sent"
expect session.out "001   ITEM0001"
expect session.out "More..."
expect session.out "091   ITEM0091"
expect session.out "Bottom"
expect session.out "073   ITEM0073"
expect session.out "Attention Menu"
expect session.out "The screen below was saved."
# After the pop-up the 27-row screen keeps its messages on the last row.
last_row session.out "Pop-up closed; the screen was restored."
last_row session.out "Option 42 is not valid"
expect session.out "Signed off."

printf 'connect\nwait\n' >inuse.txt
"$cli_bin" --host 127.0.0.1 --port "$port" --display-name INUSE inuse.txt >inuse.out 2>&1
expect inuse.out "message: Your display is already in use"
expect inuse.out "closed"

# A 24 x 80 terminal signs on automatically with the password substitute of
# the host's level (3 by default), and System Request 90 is the end of the
# session (the front end's disconnect sends it).
printf 'connect\nwait\nscreen\ndisconnect\n' >auto.txt
"$cli_bin" --host 127.0.0.1 --port "$port" --terminal IBM-5292-2 --screen "24 * 80" \
    --user auto --password DEMO --password-level 3 --curlib QGPL auto.txt >auto.out 2>&1
expect auto.out "signon: level 3 (session setting)"
expect auto.out "Signed on automatically as AUTO"
expect auto.out "Library: QGPL"

# A code page without a table is refused at start, not served wrongly.
"$host_bin" --port 0 --codepage 4711 >badcp.out 2>&1
echo "exit status $?" >>badcp.out
expect badcp.out "no translation table 4711.tbl"
expect badcp.out "exit status 2"

sleep 0.3
expect host.log "<- SB TERMINAL-TYPE IS \"IBM-3477-FC\""
# Field data as the terminal sends it: every position, or without trailing
# nulls and the sign position; the host reads either.
expect host.log "    cursor 6,57, Enter"
expect_re host.log "    field 6,53 \"DEMO *\""
expect_re host.log "    field 3,39 \"Hello World! *\""
expect_re host.log "    field 8,39 \"    4K ?\""
# The traffic both ways, as hex and described, the screens as text; the
# password of the automatic sign-on masked.
expect_re host.log "^\[1\] -> 0[0-9a-f]+ffef$"
expect_re host.log "^\[1\] <- 0[0-9a-f]+ffef$"
expect host.log "    attr 22 \"Sign On\" attr 20"
expect_re host.log "'IBMRSEED' 01 \*\*\* \([0-9]+ bytes\) 03 'IBMSUBSPW' 01 \*\*\* \([0-9]+ bytes\)"
expect host.log "automatic sign-on of AUTO: password substitute verified (level 3)"
reject_re host.log "'DEMO' 03 'IBMIMENU'|IBMSUBSPW=\"DEMO\"|49424d5355425350570144454d4f"
expect host.log "device INUSE is already in use: closing the connection"
expect host.log "System Request 90: sign-off, closing the connection"

if [ "$failures" -ne 0 ]; then
    for f in session.out inuse.out auto.out badcp.out host.log; do echo "== $f"; cat "$f"; done
    exit 1
fi
echo "demo host end-to-end: all checks passed"
