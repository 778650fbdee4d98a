#!/bin/sh
# Sets up, builds, and runs every test: the native unit tests, end-to-end tests
# and fuzzers under the sanitizers, then the Windows builds under Wine.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
sh scripts/build.sh native native-asan win32
jobs=$(nproc 2>/dev/null || echo 2)
status=0
for preset in native-asan win32; do
    echo "== tests: $preset"
    ctest --test-dir "build/$preset" --output-on-failure -j "$jobs" || status=1
done
exit $status
