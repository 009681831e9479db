#!/usr/bin/env bash
# Installs what is missing, builds, and shows the program's data on a demo store.
# The demo store lives in build/demo-store, never in the user's own URL cache.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target urlcache
export TOLVANE_URLCACHE="$PWD/$build/demo-store"
if ! "$build/urlcache" list | tail -n +2 | grep -q .; then
  "$build/urlcache" demo
fi
"$build/urlcache" list
