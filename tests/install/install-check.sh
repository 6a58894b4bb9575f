#!/usr/bin/env bash
# install-check.sh BUILD_DIR SOURCE_DIR VERSION "PROGRAM..."
# Installs BUILD_DIR with prefix /usr under a scratch DESTDIR and checks the
# installed tree: the programs answer --version and --help (the desktop
# program without a display), the CLI reads the French table from
# share/quenlix-telnet, and the data, the menu entry and the icon are there.
set -uo pipefail
build=$1 source=$2 version=$3 programs=$4

fail=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi
}

scratch=$(mktemp -d /tmp/quenlix-install-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$scratch/install.log" 2>&1; then
    cat "$scratch/install.log"
    echo "FAILED: cmake --install"
    exit 1
fi
bin=$root/usr/bin
share=$root/usr/share/quenlix-telnet

# The data, the menu entry and the icon.
tables=$(cd "$source/data" && ls -- *.tbl)
for t in $tables; do
    cmp -s "$source/data/$t" "$share/$t" || { echo "FAILED: table $t not installed"; fail=1; }
done
echo "ok: $(echo "$tables" | wc -w) tables checked"
check "keyboard help page" cmp -s "$source/data/help/keyboard.html" "$share/keyboard.html"
check "operator's help page" cmp -s "$source/data/help/index.html" "$share/index.html"
check "read-me" cmp -s "$source/README.md" "$share/README.md"
check "demo session" cmp -s "$source/data/demo.stn" "$share/demo.stn"
check "no data among the programs" test -z "$(ls "$bin" | grep -v '^quenlix-')"
desktop=$root/usr/share/applications/quenlix-telnet.desktop
check ".desktop file" test -f "$desktop"
check ".desktop names the program" grep -qx 'Exec=quenlix-telnet %f' "$desktop"
check ".desktop categories" grep -qx 'Categories=Network;TerminalEmulator;' "$desktop"
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
icon=$root/usr/share/icons/hicolor/scalable/apps/$icon_name.svg
check "icon $icon_name.svg" test -s "$icon"
check "icon is an SVG picture" grep -q '<svg' "$icon"
if command -v desktop-file-validate >/dev/null; then
    check "desktop-file-validate" desktop-file-validate "$desktop"
fi

# Every program: executable, --version, --help; no display needed.
for p in $programs; do
    check "$p installed" test -x "$bin/$p"
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/$p" --version 2>&1)
    check "$p --version ($out)" test "$out" = "$p $version"
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/$p" --help 2>&1)
    check "$p --help" grep -q -- '--version' <<<"$out"
done

# The installed CLI translates with the installed code page 297 table:
# EBCDIC C0 7C E0 D0 are "éàçè" there, "{@\}" in the built-in pair it falls
# back to when it cannot find the table. One Write To Display record at row 1.
record=001712A00000040000030440041100001101
record+=01C07CE0D0FFEF
run_cli() {  # run_cli PROGRAM
    printf 'block %s\nscreen\n' "$record" |
        "$1" --codepage 297 --screen "24 * 80" 2>&1 | head -1 | sed "s/ *$//"
}
row=$(run_cli "$bin/quenlix-telnet-cli")
check "installed CLI reads share/quenlix-telnet/297.tbl (row 1: '$row')" \
    test "$row" = "éàçè"
# The same program with no data beside it or in ../share falls back to the
# built-in pair, so the check above depends on the installed table.
mkdir -p "$scratch/bare/bin"
cp "$bin/quenlix-telnet-cli" "$scratch/bare/bin/"
row=$(run_cli "$scratch/bare/bin/quenlix-telnet-cli")
check "a CLI without data shows the built-in pair (row 1: '$row')" test "$row" = "{@\\}"

exit $fail
