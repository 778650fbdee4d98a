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

python3 bench/gen_overstruck.py "$work/input.txt" "$mb"
python3 bench/gen_overstruck.py "$work/utf8.txt" "$mb" utf8
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
