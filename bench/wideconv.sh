#!/bin/sh
# Converts a 100 MB UTF-16LE file (with its byte-order mark) with wideconv,
# natively and under Wine, beside iconv to the same character set, and prints
# the time (best of three) and peak memory of each. Output goes to files: Wine
# writes to a character device such as /dev/null one small piece at a time,
# which would measure that instead of the program.
#   WIDECONV_NATIVE, WIDECONV_WIN32: the programs (default: build/native/bin,
#   build/win32/bin).
set -eu
cd "$(dirname "$0")/.."
native=${WIDECONV_NATIVE:-build/native/bin/wideconv}
win32=${WIDECONV_WIN32:-build/win32/bin/wideconv.exe}

. bench/common.sh
bench_start wideconv

# Lines of Latin text with accents and the euro sign (all in code page 1252),
# CR LF line ends, cut to exactly 100 MB.
python3 - "$work/wide.txt" <<'EOF'
import sys
line = ("Les na\u00efves \u00e9l\u00e8ves du caf\u00e9 paient 5 \u20ac; "
        "the quick brown fox jumps over the lazy dog 0123456789.\r\n")
size = 100 * 1024 * 1024
data = "\ufeff" + line * (size // (2 * len(line)) + 1)
with open(sys.argv[1], "wb") as f:
    f.write(data.encode("utf-16-le")[:size])
EOF

# measure LABEL COMMAND...: the best of three runs (the machine is shared), the
# output to a file; peak memory of that run.
measure() {
    label=$1
    shift
    best=""
    for run in 1 2 3; do
        if ! /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/out" 2>"$work/err"; then
            printf '%-44s failed: %s\n' "$label" "$(head -c 200 "$work/err")"
            last_seconds=0
            return
        fi
        this=$(tail -n 1 "$work/time")
        if [ -z "$best" ] || awk -v a="${this% *}" -v b="${best% *}" 'BEGIN { exit !(a < b) }'; then
            best=$this
        fi
    done
    printf '%-44s %8s s %9s KB %10s bytes out\n' "$label" "${best% *}" "${best#* }" \
        "$(wc -c <"$work/out")"
    last_seconds=${best% *}
}

echo "input: $(wc -c <"$work/wide.txt") bytes of UTF-16LE"
echo "native (LC_ALL=C.UTF-8):"
export LC_ALL=C.UTF-8
measure "  iconv -f UTF-16LE -t UTF-8" iconv -f UTF-16LE -t UTF-8 "$work/wide.txt"
iconv_seconds=$last_seconds
measure "  wideconv" "$native" "$work/wide.txt"
awk -v w="$last_seconds" -v i="$iconv_seconds" \
    'BEGIN { if (i > 0) printf "  wideconv / iconv time: %.2f (target: at most 2)\n", w / i }'

echo "Wine (ANSI code page 1252):"
measure "  iconv -f UTF-16LE -t CP1252//TRANSLIT" iconv -f UTF-16LE -t CP1252//TRANSLIT \
    "$work/wide.txt"
measure "  wideconv.exe under wine" wine "$win32" "$work/wide.txt"
echo "memory the two blocks need: read block $(($(wc -c <"$work/wide.txt") / 1024 + 1)) KB" \
    "plus the output block (about the output size)"
