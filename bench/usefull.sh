#!/bin/sh
# The byte-at-a-time readers of the support library (readParagraph and
# readJoinedLine) on one paragraph or one joined line of 1, 10 and 100 MB
# (BENCH_SIZES to change them): the count of reallocations should grow with
# the logarithm of the size (a few more per tenfold), the time linearly (the
# ns/byte column stays flat). Run by: sh bench/run usefull
set -eu
cd "$(dirname "$0")/.."
sizes=${BENCH_SIZES:-1 10 100}
work=$(mktemp -d /tmp/usefull-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM
g++ -std=c++17 -O2 -Wall -Wextra -Werror -Iinclude -Wl,--wrap=realloc \
    -o "$work/usefull_bench" bench/usefull_bench.cc liborvi/usefull.cc
"$work/usefull_bench" "$work" $sizes
