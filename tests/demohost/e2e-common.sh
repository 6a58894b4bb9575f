# Sourced by the end-to-end scripts: the demo host started on a free
# loopback port in the work folder (stopped by its PID when the script
# ends), and the check that counts what a file lacks.
# Sets host_pid, port and failures.

# The front end's default code page is 37; the host is told the same.
"$host_bin" --port 0 --log host.log --codepage 37 2>host.err &
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
