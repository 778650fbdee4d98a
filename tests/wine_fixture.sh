#!/bin/sh
# Creates (setup) or removes (cleanup) the private Wine prefix of one test run,
# with one persistent wineserver for the whole run.
set -u
action=$1
prefix=$2
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32
unset DISPLAY

# The wineserver keeps its socket in /tmp/wine-XXXXXX/server-DEV-INODE, named
# after the prefix directory; it outlives the prefix unless removed with it.
remove_prefix() {
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    if [ -d "$prefix" ]; then
        id=$(printf 'server-%x-%x' $(stat -c '%d %i' "$prefix"))
        for dir in /tmp/wine-*/"$id"; do
            [ -d "$dir" ] || continue
            rm -rf "$dir"
            rmdir "$(dirname "$dir")" 2>/dev/null
        done
    fi
    rm -rf "$prefix"
}

case "$action" in
setup)
    remove_prefix
    mkdir -p "$prefix"
    # The persistent server must not hold the test's output open: ctest waits
    # for the end of that output.
    wineserver -p </dev/null >/dev/null 2>&1 || exit 1
    wine wineboot -i >/dev/null 2>&1 || exit 1
    # Message boxes show in a relay trace of MessageBoxA when a test asks for
    # +relay; without a display the box returns at once.
    wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
        /d 'user32.MessageBoxA' /f >/dev/null 2>&1 || exit 1
    ;;
cleanup)
    remove_prefix
    ;;
esac
exit 0
