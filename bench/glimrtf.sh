#!/bin/sh
# Throughput and peak memory of glimrtf, natively and under Wine, beside cat
# and col -b on the same overstruck text: about 200 MB (BENCH_MB to change it)
# of source-like lines, a fifth of the visible characters overstruck, a form
# feed now and then. Then natively the same listing with Greek and CJK words,
# read in C.UTF-8, whose characters become Unicode escapes. Run by:
# sh bench/run glimrtf
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
mb=${BENCH_MB:-200}
native=${GLIMRTF_NATIVE:-$root/build/native/bin/glimrtf}
windows=${GLIMRTF_WIN32:-$root/build/win32/bin/glimrtf.exe}

. bench/common.sh
bench_start glimrtf

# One megabyte of varied lines, repeated: generating is then no slower than
# the programs measured.
listing() {
    python3 - "$1" "$mb" "$2" <<'PY'
import random, sys
path, mb, words = sys.argv[1], int(sys.argv[2]), sys.argv[3].split(" ")
rng = random.Random(7)
chunk, size, lines = [], 0, 0
while size < 1 << 20:
    text = " ".join(rng.choice(words) for _ in range(rng.randint(2, 12)))
    line = bytearray()
    for c in text:
        if c != " " and rng.random() < 0.2:
            line += b"_\b"
        line += c.encode()
    lines += 1
    if lines % 60 == 0:
        line = b"\f" + line
    chunk.append(bytes(line) + b"\n")
    size += len(chunk[-1])
block = b"".join(chunk)
with open(path, "wb") as f:
    for _ in range(mb):
        f.write(block)
PY
}
listing "$work/input.txt" "int count = 0; for (i = 0; i < n; i++) { total += table[i]; } \
return \\value; /* comment */ printf(\"%d\\n\", x); if (a && b) call(a, b);"
listing "$work/utf8.txt" "int πλήθος = 0; /* σύνολο */ for (i = 0; i < n; i++) { 合計 += 表[i]; } \
return \"значение\"; // 漢字の注釈 printf(\"%d\\n\", x); if (α && β) 呼ぶ(α, β);"
input=$work/input.txt
bytes=$(wc -c < "$input")

# measure KEY NAME COMMAND...: one run, input from the file $input, output
# discarded.
# Prints wall time, throughput, CPU time and peak resident memory, and keeps
# the wall time in $work/KEY.s for the ratios.
measure() {
    key=$1
    name=$2
    shift 2
    timed "$@" < "$input" > /dev/null
    echo "$seconds" > "$work/$key.s"
    awk -v n="$name" -v s="$seconds" -v c="$cpu" -v k="$kib" -v b="$bytes" 'BEGIN {
        rate = s > 0 ? sprintf("%9.1f MiB/s", b / s / 1048576) : "     fast     "
        printf "%-20s %7.2f s %s  cpu %6.2f s  peak %6.1f MiB\n", n, s, rate, c, k / 1024 }'
}

ratio() {
    awk -v a="$(cat "$work/$1.s")" -v b="$(cat "$work/$2.s")" -v t="$3" \
        'BEGIN { printf "%s: %.1fx\n", t, (b > 0 ? a / b : 0) }'
}

echo "input: $(awk -v b="$bytes" 'BEGIN { printf "%.1f MiB", b / 1048576 }') of overstruck text"
measure cat "cat" cat
measure col "col -b" col -b
measure native "glimrtf" "$native"
measure wine "glimrtf.exe (Wine)" wine "$windows"
ratio col native "col -b time / glimrtf time (target >= 10)"
ratio wine native "Wine time / native time (target <= 1.5)"

input=$work/utf8.txt
bytes=$(wc -c < "$input")
echo "input: $(awk -v b="$bytes" 'BEGIN { printf "%.1f MiB", b / 1048576 }') of Greek and CJK overstruck text"
measure utf8 "glimrtf in C.UTF-8" env LC_ALL=C.UTF-8 "$native"
