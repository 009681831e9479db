#!/usr/bin/env bash
# Tolvane and the real Chromium on one profile (Debian's chromium, installed here when missing):
#   1. the browser visits a loopback server that sets cookies and exits: v10 values on disk;
#   2. Tolvane's model edits a value, deletes a cookie, copies an entry to another site, commits;
#   3. the browser starts again: the server sees the edit and the copy, not the deleted cookie,
#      and no other cookie of those sites is gone;
#   4. while the browser runs a commit is refused and the file stays; the lock it leaves when
#      killed is no running browser.
# Everything lives in a temporary folder (HOME too, so backups do) and is removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! command -v chromium >/dev/null; then
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends chromium
fi
bash scripts/setup.sh
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target test_peer_chromium
peer="$PWD/$build/tests/test_peer_chromium"

work=$(mktemp -d)
server=""
browser=""
cleanup() {
  [ -n "$browser" ] && kill -KILL -- "-$browser" 2>/dev/null || true
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work/home" XDG_STATE_HOME="$work/state"
mkdir -p "$HOME"
unset DBUS_SESSION_BUS_ADDRESS XDG_CONFIG_HOME

python3 tests/peers/cookie_server.py --max-requests 40 --timeout 180 >"$work/port" &
server=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -1 "$work/port")
[ -n "$port" ] || { echo "the cookie server did not start" >&2; exit 1; }

flags=(--headless --no-sandbox --no-first-run --password-store=basic
  --disable-background-networking --disable-component-update --disable-sync --disable-gpu
  --user-data-dir="$work/profile")
browse() { timeout 60 chromium "${flags[@]}" --dump-dom "$1" >"$2" 2>>"$work/browser.log"; }
site=a.sub.localhost
copy=copy.localhost
export TOLVANE_PEER_PROFILE="$work/profile/Default" TOLVANE_PEER_SITE=$site TOLVANE_PEER_COPY=$copy
export TOLVANE_PEER_ECHO_SITE="$work/echo-site.html" TOLVANE_PEER_ECHO_COPY="$work/echo-copy.html"
step() { "$peer" --gtest_filter="ChromiumPeer.$1" --gtest_brief=1; }

browse "http://$site:$port/set" "$work/set.html"
step EditDeleteAndCopyThroughTheModel
browse "http://$site:$port/echo" "$TOLVANE_PEER_ECHO_SITE"
browse "http://$copy:$port/echo" "$TOLVANE_PEER_ECHO_COPY"
step TheBrowserSentWhatWasCommitted

setsid chromium "${flags[@]}" about:blank >>"$work/browser.log" 2>&1 &
browser=$!
for _ in $(seq 150); do [ -L "$work/profile/SingletonLock" ] && break; sleep 0.1; done
step ACommitIsRefusedWhileTheBrowserRuns
kill -TERM "$browser"
for _ in $(seq 100); do kill -0 "$browser" 2>/dev/null || break; sleep 0.1; done
kill -KILL -- "-$browser" 2>/dev/null || true
wait "$browser" 2>/dev/null || true
browser=""
[ -L "$work/profile/SingletonLock" ] || { echo "the browser left no lock to test" >&2; exit 1; }
step AStaleLockIsNoRunningBrowser
echo "chromium peer test: passed ($(chromium --version))"
