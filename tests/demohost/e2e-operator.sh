#!/bin/sh
# The headless front end against the demo host on loopback, as an operator
# fills in its data-entry screen: a paste a field refuses leaves the field
# as it was, a field-exit-required field keeps its last character, a copy
# keeps every row, the field list gives each field's first data column,
# and a save that cannot be written says why.
# Usage: e2e-operator.sh DEMO_HOST CLI WORK_DIR
set -u
host_bin=$1
cli_bin=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

. "$here/e2e-common.sh"

# The copy of the 24-row sign-on screen comes between the first wait's "ok"
# and the status line; the save comes last, as it fails.
cat >entry.txt <<'SCRIPT'
connect
wait
copy 1 1 24 80
status
type demo
key Enter
wait
type 1
key Enter
wait
cursor 6 39
type 1234
cursor 6 39
paste $99
cursor 4 39
type Smith
cursor 4 39
paste O2Neil
cursor 14 39
type ABCDEF
status
fields
key FieldPlus
status
screen
save no-such-folder/demo.stn
SCRIPT
"$cli_bin" --host 127.0.0.1 --port "$port" --terminal IBM-5292-2 --screen "24 * 80" \
    entry.txt >entry.out 2>&1
echo "exit status $?" >>entry.out

expect entry.out "refused: Paste: Amount (numeric only) left unchanged: digits + - , . blank only"
expect entry.out "refused: Paste: Surname (alphabetic only) left unchanged: letters , . - blank only"
expect entry.out "refused: Field Exit required"
expect entry.out '"cursorRow":14,"cursorColumn":43'
expect entry.out '"row":6,"column":38,"length":8,'
expect entry.out '"text":"1234    ","start":39}'
expect entry.out '"text":"Smith     ","start":39}'
expect entry.out '"text":"ABCDE","start":39}'
# Field Exit takes the cursor on, the field whole.
expect entry.out '"cursorRow":15,"cursorColumn":39'
expect entry.out " Account (field exit)       . . :     ABCDE "
expect entry.out " Amount (numeric only)      . . :     1234 "
expect entry.out 'message: Saving of session file failed\nno-such-folder/demo.stn\nNo such file or directory'
expect entry.out "exit status 1"
copied=$(awk '/^ok$/ && !started { started = 1; next }
              started && /^\{"rows"/ { print n; exit }
              started { n++ }' entry.out)
if [ "$copied" != 24 ]; then
    echo "FAIL: copy 1 1 24 80 printed ${copied:-no} lines, not 24"
    failures=$((failures + 1))
fi

if [ "$failures" -ne 0 ]; then
    for f in entry.out host.log; do echo "== $f"; cat "$f"; done
    exit 1
fi
echo "demo host operator end-to-end: all checks passed"
