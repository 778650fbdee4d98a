#!/bin/sh
# The main job on the bundled example: glimpage (the Windows build, under Wine)
# pages examples/hello.c with the regions that examples/hello.hls highlights,
# writing overstruck text to build/example/hello.txt, which is then shown.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
sh scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target glimpage

out="$root/build/example"
mkdir -p "$out"
export WINEPREFIX="$out/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32
unset DISPLAY
trap 'wineserver -k 2>/dev/null || true' EXIT
cd "$root/examples"
wine "$root/build/win32/bin/glimpage.exe" < hello.hls > "$out/hello.txt"

echo "glimpage wrote $out/hello.txt (highlighted characters overstruck):"
echo
if [ -t 1 ]; then ul -t xterm "$out/hello.txt"; else cat -v "$out/hello.txt"; fi
