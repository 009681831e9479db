#!/usr/bin/env bash
# Tolvane against real Wine: installs Wine and the MinGW compiler from Debian, builds the small
# Windows program tests/peers/wine_cookies.c, and runs test_peer_wine on a fresh prefix (which
# takes Wine about 10 s and 700 MB). Every wineserver of that prefix is ended at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh wine wine64 gcc-mingw-w64-x86-64-win32
build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target test_peer_wine

work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-wine-XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_STATE_HOME="$work/state" TOLVANE_WINE_PROGRAM="$work/wine_cookies.exe"
# Wine's index keeps DOS times in UTC: a zone far from it shows when one side does not.
export TZ=JST-9
cleanup() {
  wineserver -k 2>/dev/null || true
  timeout 30 wineserver -w 2>/dev/null || true
  # Debian's Wine keeps the prefix's server folder in $TMPDIR under the name the prefix holds.
  server=$(cat "$WINEPREFIX/wineserver" 2>/dev/null || true)
  if [[ "$server" =~ ^wine-[A-Za-z0-9]+$ ]]; then rm -rf "${TMPDIR:-/tmp}/$server"; fi
  rm -rf "$work"
}
trap cleanup EXIT
x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -o "$TOLVANE_WINE_PROGRAM" tests/peers/wine_cookies.c \
  -lwininet
timeout 600 "$build/tests/test_peer_wine"
