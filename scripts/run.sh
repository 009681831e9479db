#!/usr/bin/env bash
# Installs what is missing, builds, and opens Tolvane on a demo store in build/demo-store, never
# on the user's own URL cache. Without a display the program runs under Xvfb, saves a picture of
# its window and ends; the picture's path is printed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target urlcache tolvane
export TOLVANE_URLCACHE="$PWD/$build/demo-store"
# An empty folder is a new store; a folder that is not there is no store at all.
mkdir -p -m 700 "$TOLVANE_URLCACHE"
# The listing is read whole first: a reader that stops early would fail the pipeline.
entries=$("$build/urlcache" list | tail -n +2 | wc -l)
if [ "$entries" -eq 0 ]; then
  "$build/urlcache" demo
fi
program="$build/tolvane"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi
shot="$PWD/$build/tolvane-screenshot.png"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$PWD/$build/runtime}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
rm -f "$shot"
TOLVANE_SCREENSHOT="$shot" xvfb-run -a -s "-screen 0 1280x1024x24" "$program"
if [ ! -s "$shot" ]; then
  echo "run.sh: no screenshot was made" >&2
  exit 1
fi
echo "Screenshot: $shot"
