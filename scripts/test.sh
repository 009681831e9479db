#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh             the ordinary build (build/)
#   scripts/test.sh --sanitize  the tests under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=build
args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  args=(-DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON -DTOLVANE_BENCH=OFF -DTOLVANE_WERROR=ON)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
fi
cmake -S . -B "$build" "${args[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600
