#!/bin/sh
# Throughput and peak memory of glimpage in overstrike mode (output to a
# file), natively and under Wine, beside cat and col -b on the same listing:
# about 50 MB (BENCH_MB to change it) of source-like lines with tabs and form
# feeds, and a highlight script with regions over about a fifth of the bytes.
# A second, ten times smaller listing shows whether memory stays flat; a
# third, of Greek, Cyrillic and CJK words in UTF-8, the cost of characters.
# Run by: sh bench/run glimpage
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
mb=${BENCH_MB:-50}
native=${GLIMPAGE_NATIVE:-$root/build/native/bin/glimpage}
windows=${GLIMPAGE_WIN32:-$root/build/win32/bin/glimpage.exe}
# The runs below start in the listing's directory: relative overrides are
# taken from the repository root.
case $native in /*) ;; *) native=$root/$native ;; esac
case $windows in /*) ;; *) windows=$root/$windows ;; esac

. bench/common.sh
bench_start glimpage
mkdir -p "$work/big" "$work/small" "$work/utf8"
python3 bench/gen_listing.py "$work/big" "$mb"
python3 bench/gen_listing.py "$work/utf8" "$mb" utf8 >/dev/null
python3 bench/gen_listing.py "$work/small" "$(python3 -c "print($mb / 10)")" >/dev/null
bytes=$(wc -c < "$work/big/listing.c")

# measure KEY NAME DIR INPUT COMMAND...: the best wall time of three runs in
# DIR with INPUT on standard input and the output to a file; prints time,
# throughput over the size of DIR's listing and peak resident memory, and keeps the
# time in $work/KEY.s for the ratios.
measure() {
    key=$1 name=$2 dir=$3 input=$4
    shift 4
    best=
    runs=${RUNS:-3}
    for run in $(seq "$runs"); do
        cd "$dir"
        timed "$@" < "$input" > "$work/out"
        cd "$root"
        best=$(python3 -c "t = $seconds; b = '$best'; print(min(t, float(b)) if b else t)")
    done
    echo "$best" > "$work/$key.s"
    python3 -c "
t = $best; mb = $(wc -c < "$dir/listing.c") / 1048576.0
print('%-34s %7.3f s %8.1f MB/s %8d KB peak' % ('$name', t, mb / t, $kib))"
}

echo "glimpage overstrike mode on $(python3 -c "print('%.1f' % ($bytes / 1048576.0))") MB:"
big=$work/big
measure cat "cat" "$big" listing.c cat
RUNS=1 measure col "col -b" "$big" listing.c col -b
measure native "glimpage (native)" "$big" listing.hls "$native"
measure wine "glimpage.exe (Wine)" "$big" listing.hls wine "$windows"
echo "memory with a tenth of the input:"
measure native-small "glimpage (native), small" "$work/small" listing.hls "$native"
measure wine-small "glimpage.exe (Wine), small" "$work/small" listing.hls wine "$windows"
echo "the same size of Greek, Cyrillic and CJK words in UTF-8, highlighted whole:"
measure native-utf8 "glimpage (native, C.UTF-8)" "$work/utf8" listing.hls env LC_ALL=C.UTF-8 "$native"
python3 -c "
col, native, wine = $(cat "$work/col.s"), $(cat "$work/native.s"), $(cat "$work/wine.s")
print('native is %.1fx as fast as col -b (target >= 10x)' % (col / native))
print('Wine takes %.2fx the native time (target <= 2x)' % (wine / native))"
