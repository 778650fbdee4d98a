#!/bin/sh
# The main job on the bundled example: glimpage (the Windows build, under Wine)
# pages examples/hello.c with the regions that examples/hello.hls highlights,
# writing overstruck text to build/example/hello.txt. On a terminal the native
# build then pages the example there (reverse video; a key shows the next
# page, q ends); otherwise the overstruck text is shown. Then glimrtf and
# glimhtml make a document and a web page of it (build/example/hello.rtf,
# hello.html).
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
sh scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target glimpage

out="$root/build/example"
mkdir -p "$out"
. scripts/wineprefix.sh
wineprefix_env "$out/wineprefix"
trap 'wineserver -k 2>/dev/null || true' EXIT
# A private prefix, created quietly on the first run (a few seconds).
[ -f "$WINEPREFIX/system.reg" ] || wine wineboot -i >/dev/null 2>&1
cd "$root/examples"
wine "$root/build/win32/bin/glimpage.exe" < hello.hls > "$out/hello.txt"

if [ -t 1 ]; then
    (cd "$root" && cmake --preset native >/dev/null &&
        cmake --build --preset native --target glimpage >/dev/null)
    "$root/build/native/bin/glimpage" < hello.hls
    echo
    echo "That was the native glimpage paging on this terminal."
    echo "glimpage.exe wrote $out/hello.txt (highlighted characters overstruck)."
else
    echo "glimpage wrote $out/hello.txt (highlighted characters overstruck):"
    echo
    cat -v "$out/hello.txt"
fi

# The RTF step: glimrtf turns the overstruck text into a document for a word
# processor, the highlighted characters in bold italic.
cmake --build "$root/build/win32" --target glimrtf >/dev/null
wine "$root/build/win32/bin/glimrtf.exe" < "$out/hello.txt" > "$out/hello.rtf"
echo
echo "glimrtf wrote $out/hello.rtf (highlighted characters in bold italic)."
echo "Open it in a word processor, e.g.: libreoffice --writer $out/hello.rtf"

# The web page: glimhtml makes one self-contained page of it, the highlighted
# characters bold italic, every line a link target.
cmake --build "$root/build/win32" --target glimhtml >/dev/null
wine "$root/build/win32/bin/glimhtml.exe" -t hello.c < "$out/hello.txt" > "$out/hello.html"
echo
echo "glimhtml wrote $out/hello.html (highlighted characters in bold italic)."
echo "Open it in a browser, e.g.: xdg-open file://$out/hello.html#L8 (line 8)"
