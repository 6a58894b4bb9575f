#!/bin/sh
# A printer session of the headless front end against the demo host: the
# printer starts (I902), a display session signs on and picks "Print a
# report", the printer writes the report as one PDF whose text, laid out by
# pdftotext, is the golden page layout. Then a host that refuses the device.
# Usage: e2e-printer.sh DEMO_HOST CLI WORK_DIR GOLDEN
set -u
host_bin=$1
cli_bin=$2
work=$3
golden=$4
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v pdftotext >/dev/null 2>&1; then
    echo "SKIP: pdftotext (poppler-utils) is not installed"
    exit 77
fi
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
# Under the leak checker: fontconfig's caches live as long as the process.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$here/fontconfig-lsan.supp"

. "$here/e2e-common.sh"

# waits up to 20 s for a process to end; its exit status in $status
wait_for() {
    for _ in $(seq 200); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$1" 2>/dev/null; then
        echo "FAIL: process $1 did not end"
        kill "$1"
        failures=$((failures + 1))
    fi
    wait "$1"
    status=$?
}

mkdir out
"$cli_bin" --host 127.0.0.1 --port "$port" --device printer --display-name PRT01 \
    --output-dir out --once >printer.out 2>printer.err &
printer_pid=$!
for _ in $(seq 100); do
    grep -q "^printer: " printer.out 2>/dev/null && break
    sleep 0.1
done

cat >display.txt <<'SCRIPT'
connect
wait
type demo
key Enter
wait
type 9
key Enter
wait
screen
disconnect
SCRIPT
"$cli_bin" --host 127.0.0.1 --port "$port" display.txt >display.out 2>&1
wait_for "$printer_pid"
[ "$status" -eq 0 ] || { echo "FAIL: the printer ended with status $status"; failures=$((failures + 1)); }

expect printer.out "printer: ready (I902)"
if ! grep -qE '^printed: out/print-[0-9]{4}-[0-9]{2}-[0-9]{2}-001\.pdf \(3 pages\)$' printer.out; then
    echo "FAIL: printer.out lacks the printed line"
    failures=$((failures + 1))
fi
expect display.out "Report spooled to printer PRT01."
pdf=$(ls out/*.pdf 2>/dev/null | head -n 1)
if [ -n "$pdf" ]; then
    pdftotext -layout "$pdf" report.txt
    if ! diff -u "$golden" report.txt; then
        echo "FAIL: the report's text differs from the golden layout"
        failures=$((failures + 1))
    fi
    pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
    [ "$pages" = 3 ] || { echo "FAIL: $pdf has $pages pages"; failures=$((failures + 1)); }
else
    echo "FAIL: no PDF written"
    failures=$((failures + 1))
fi

# A host that refuses the device: its code and text, exit status 1.
"$host_bin" --port 0 --printer-refuse 8902 2>refuse.err &
refuse_pid=$!
refuse_port=
for _ in $(seq 50); do
    refuse_port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9][0-9]*\).*/\1/p' refuse.err)
    [ -n "$refuse_port" ] && break
    sleep 0.1
done
"$cli_bin" --host 127.0.0.1 --port "$refuse_port" --device printer --output-dir out \
    >refused.out 2>&1 &
refused_pid=$!
wait_for "$refused_pid"
kill "$refuse_pid" 2>/dev/null
wait "$refuse_pid" 2>/dev/null
[ "$status" -eq 1 ] || { echo "FAIL: a refused printer ended with status $status"; failures=$((failures + 1)); }
expect refused.out "message: 8902 Device not available"

if [ "$failures" -ne 0 ]; then
    echo "--- printer.out"; cat printer.out; cat printer.err
    echo "--- display.out"; tail -40 display.out
    echo "--- refused.out"; cat refused.out
    exit 1
fi
echo "printer end to end: all checks passed"
