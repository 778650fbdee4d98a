#!/bin/sh
# Helpers the benchmarks source (. bench/common.sh) from the repository root:
# a scratch directory with a private Wine prefix, and the timing of one run.
# Sourced alone it only defines them.

. scripts/wineprefix.sh

# bench_start NAME: makes $work (removed on exit) and a 32-bit Wine prefix in
# it with its wineserver running, quiet and without a display.
bench_start() {
    work=$(mktemp -d "/tmp/$1-bench.XXXXXX")
    trap bench_cleanup EXIT INT TERM
    wineprefix_setup "$work/wineprefix"
}

bench_cleanup() {
    wineprefix_remove
    rm -rf "$work"
}

# timed COMMAND...: runs the command with the caller's redirections and sets
# seconds (wall time), cpu (user and system seconds) and kib (peak resident
# memory in KiB).
timed() {
    start=$(date +%s.%N)
    /usr/bin/time -f '%U %S %M' -o "$work/time" "$@"
    end=$(date +%s.%N)
    read -r user system kib < "$work/time"
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
}
