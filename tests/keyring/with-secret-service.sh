#!/bin/sh
# Runs a command against a Secret Service of its own: a private session bus
# (dbus-run-session) with GNOME Keyring started unlocked on a throw-away
# login keyring under a scratch home, stopped by its process id afterwards.
# Exits 77 (a skipped test for ctest) when the tools are not installed.
#   with-secret-service.sh PROGRAM [ARGS...]
set -u
if [ "${QUENLIX_IN_SECRET_SERVICE:-}" != 1 ]; then
    for tool in dbus-run-session gnome-keyring-daemon dbus-send; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIPPED: $tool is not installed (scripts/setup installs gnome-keyring and dbus)"
            exit 77
        fi
    done
    QUENLIX_IN_SECRET_SERVICE=1 exec dbus-run-session -- "$0" "$@"
fi

scratch=$(mktemp -d /tmp/quenlix-keyring-XXXXXX)
export HOME="$scratch" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
export XDG_RUNTIME_DIR="$scratch/run" XDG_CACHE_HOME="$scratch/cache"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$XDG_CACHE_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
# No display: the keyring can never put up an unlock prompt.
unset DISPLAY WAYLAND_DISPLAY

printf 'quenlix-test' | gnome-keyring-daemon --foreground --unlock --components=secrets \
    >"$scratch/daemon.log" 2>&1 &
daemon=$!
stop() {
    kill "$daemon" 2>/dev/null
    wait "$daemon" 2>/dev/null
    rm -rf "$scratch"
}
trap stop EXIT

# Ready when the service owns its name on the bus (at most about 10 s).
tries=0
until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
        grep -q 'boolean true'; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$daemon" 2>/dev/null; then
        echo "the Secret Service did not start:"
        cat "$scratch/daemon.log"
        exit 1
    fi
    sleep 0.1
done

QUENLIX_SECRET_SERVICE_TEST=1 "$@"
