#!/bin/sh
# Private Wine prefixes, for the tests, the benches and the example. Source
# this file, then:
#   wineprefix_env DIR     exports the Wine environment (scripts/wine.env) with
#                          WINEPREFIX=DIR and no display
#   wineprefix_setup DIR   the same, then makes a fresh prefix and starts one
#                          persistent wineserver for it
#   wineprefix_remove      stops that wineserver and removes the prefix
# Run as a script, "sh wineprefix.sh setup|remove DIR" does the same (the
# ctest fixture), setup then also lets message boxes show in relay traces.

wineprefix_env() {
    set -a
    . "$wineprefix_scripts/wine.env"
    set +a
    export WINEPREFIX="$1"
    unset DISPLAY
}

wineprefix_setup() {
    wineprefix_env "$1"
    wineprefix_remove
    mkdir -p "$WINEPREFIX"
    # The persistent server must not hold the caller's output open: ctest
    # waits for the end of that output.
    wineserver -p </dev/null >/dev/null 2>&1 || return 1
    wine wineboot -i >/dev/null 2>&1
}

# The wineserver keeps its socket in /tmp/wine-XXXXXX/server-DEV-INODE, named
# after the prefix directory; it outlives the prefix unless removed with it.
wineprefix_remove() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [ -d "$WINEPREFIX" ]; then
        id=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
        for dir in /tmp/wine-*/"$id"; do
            [ -d "$dir" ] || continue
            rm -rf "$dir"
            rmdir "$(dirname "$dir")" 2>/dev/null || true
        done
    fi
    rm -rf "$WINEPREFIX"
}

# Sourced, it is sourced from the repository root.
if [ "$(basename "$0")" = wineprefix.sh ]; then
    wineprefix_scripts=$(cd "$(dirname "$0")" && pwd)
    set -u
    wineprefix_env "$2"
    case "$1" in
    setup)
        wineprefix_setup "$2" || exit 1
        # Message boxes show in a relay trace of MessageBoxA when a test asks
        # for +relay; without a display the box returns at once.
        wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
            /d 'user32.MessageBoxA' /f >/dev/null 2>&1 || exit 1
        ;;
    remove) wineprefix_remove ;;
    esac
    exit 0
fi
wineprefix_scripts=$(pwd)/scripts
