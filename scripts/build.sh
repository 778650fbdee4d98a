#!/bin/sh
# Configures and builds the given presets (default: all three).
#   native       optimised portable tools in build/native/bin
#   native-asan  clang, AddressSanitizer and UBSan: unit tests and fuzzers
#   win32        the Windows deliverables in build/win32/bin, and their tests
set -eu
cd "$(dirname "$0")/.."
[ $# -gt 0 ] || set -- native native-asan win32
for preset in "$@"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
