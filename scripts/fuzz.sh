#!/bin/sh
# Long fuzzing campaigns over every fuzz target of the native-asan tree, one
# after the other, each for the given seconds (default 600), starting from its
# corpus in the repository. ctest runs the same targets for a few seconds.
#
#   sh scripts/fuzz.sh [--merge] [seconds] [target...]
#
# New inputs collect in build/native-asan/fuzz-campaign/TARGET. With --merge
# the few that reach code (edges, not hit counts) the corpus does not are
# added to the repository's corpus, which so stays small: review and commit
# them. A crash stops the campaign with libFuzzer's report
# and the input that caused it.
set -eu
cd "$(dirname "$0")/.."
merge=0
if [ "${1:-}" = --merge ]; then
    merge=1
    shift
fi
seconds=${1:-600}
[ $# -eq 0 ] || shift
tree=build/native-asan
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan
while read -r name corpus; do
    case " ${*:-$name} " in *" $name "*) ;; *) continue ;; esac
    work=$tree/fuzz-campaign/$name
    mkdir -p "$work"
    log=$work.log
    echo "== $name: $seconds s"
    "$tree/tests/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/" "$work" "$corpus" >"$log" 2>&1 || { cat "$log"; exit 1; }
    # The last status line (coverage, features, corpus) and the run count.
    grep -E '^#[0-9]+' "$log" | tail -n 1
    grep -E 'stat::number_of_executed_units' "$log"
    if [ $merge = 1 ]; then
        "$tree/tests/$name" -merge=1 -use_counters=0 "$corpus" "$work" >>"$log" 2>&1
        echo "corpus: $(ls "$corpus" | wc -l) inputs"
    fi
done <"$tree/fuzz-targets.txt"
