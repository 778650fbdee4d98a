#!/bin/sh
# Throughput and peak memory of glimhtml beside glimrtf, natively and under
# Wine, on the same overstruck text as glimrtf's bench (bench/gen_overstruck.py):
# about 200 MB (BENCH_MB to change it), the best of three runs each (RUNS),
# output discarded. Then the peak memory with 1 MB of the same text: a filter
# that streams takes as much for either. Run by: sh bench/run glimhtml
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
mb=${BENCH_MB:-200}
bin=$root/build/native/bin
win=$root/build/win32/bin

. bench/common.sh
bench_start glimhtml
python3 bench/gen_overstruck.py "$work/big.txt" "$mb"
python3 bench/gen_overstruck.py "$work/small.txt" 1

# measure KEY NAME INPUT COMMAND...: the best wall time of the runs, with its
# throughput, CPU time and peak resident memory; the time kept in $work/KEY.s.
measure() {
    key=$1 name=$2 input=$work/$3.txt
    shift 3
    best=
    for run in $(seq "${RUNS:-3}"); do
        timed "$@" < "$input" > /dev/null
        if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
            best=$seconds best_cpu=$cpu best_kib=$kib
        fi
    done
    echo "$best" > "$work/$key.s"
    awk -v n="$name" -v s="$best" -v c="$best_cpu" -v k="$best_kib" -v b="$(wc -c < "$input")" 'BEGIN {
        printf "%-26s %7.2f s %9.1f MiB/s  cpu %6.2f s  peak %6.1f MiB\n",
               n, s, b / (s > 0 ? s : 1e-9) / 1048576, c, k / 1024 }'
}

ratio() {
    awk -v a="$(cat "$work/$1.s")" -v b="$(cat "$work/$2.s")" -v t="$3" \
        'BEGIN { printf "%s: %.2fx\n", t, (b > 0 ? a / b : 0) }'
}

echo "input: $(wc -c < "$work/big.txt" | awk '{ printf "%.1f MiB", $1 / 1048576 }') of overstruck text"
measure rtf "glimrtf" big "$bin/glimrtf"
measure html "glimhtml" big "$bin/glimhtml"
measure rtf-wine "glimrtf.exe (Wine)" big wine "$win/glimrtf.exe"
measure html-wine "glimhtml.exe (Wine)" big wine "$win/glimhtml.exe"
ratio html rtf "glimhtml time / glimrtf time, native (target <= 1)"
ratio html-wine rtf-wine "glimhtml time / glimrtf time, Wine (target <= 1)"
echo "peak memory with 1 MiB of input:"
RUNS=1 measure small "glimhtml" small "$bin/glimhtml"
RUNS=1 measure small-wine "glimhtml.exe (Wine)" small wine "$win/glimhtml.exe"
