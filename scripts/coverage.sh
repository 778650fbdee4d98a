#!/bin/sh
# Coverage of the portable code by the native tests: builds the coverage
# preset (clang's source-based coverage, no sanitizers) in build/coverage,
# runs its tests (unit, end-to-end and terminal tests, and each fuzz target
# over its corpus kept in the tree), and prints the per-file report of
# regions, functions, lines and branches, totals last.
# The same profile shows the lines and branches a test never reaches:
#   llvm-cov show $(cat build/coverage/coverage-objects) -show-branches=count \
#       -instr-profile=build/coverage/coverage.profdata -compilation-dir=. FILE
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
tree=build/coverage
cmake --preset coverage >/dev/null
cmake --build --preset coverage
rm -rf "$tree/profiles"
# Every process of the run, children and death tests included, writes its own profile.
status=0
LLVM_PROFILE_FILE="$PWD/$tree/profiles/%p-%m.profraw" \
    ctest --test-dir "$tree" --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" || status=1
llvm-profdata merge -sparse "$tree"/profiles/*.profraw -o "$tree/coverage.profdata"
# Every program of the tree: llvm-cov takes the first bare, the others after -object.
objects=""
for program in "$tree"/bin/* "$tree"/tests/*; do
    [ -f "$program" ] && [ -x "$program" ] || continue
    objects="${objects:+$objects -object }$program"
done
echo "$objects" >"$tree/coverage-objects"
# GoogleTest's own functions differ between the test programs: llvm-cov warns
# of their mismatched data, which concerns no file of the report.
# shellcheck disable=SC2086
llvm-cov report $objects -instr-profile="$tree/coverage.profdata" \
    -ignore-filename-regex='(^/usr/|googletest|/tests?/|_test[._]|_fuzz\.|_probe\.)' 2>&1 |
    grep -v 'functions have mismatched data'
exit $status
