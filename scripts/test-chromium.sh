#!/usr/bin/env bash
# Tolvane and the real Chromium on one profile (Debian's chromium, installed here when missing):
#   1. the browser visits a loopback server that sets cookies and exits: v10 values on disk;
#   2. Tolvane's model edits a value, deletes a cookie, copies an entry to another site, commits;
#   3. the browser starts again: the server sees the edit and the copy, not the deleted cookie,
#      and no other cookie of those sites is gone;
#   4. while the browser runs a commit is refused and the file stays; the lock it leaves when
#      killed is no running browser;
#   5. with a real Secret Service (gnome-keyring on a session bus of its own) the browser writes
#      v11 values; Tolvane reads and edits one, the browser sends the edit; without the bus the
#      values are locked and an edit is refused.
# Everything lives in a temporary folder (HOME too, so backups do) and is removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
peers=(chromium gnome-keyring dbus-bin)
missing=()
for p in "${peers[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
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
step() { "$peer" --gtest_filter="ChromiumPeer$1" --gtest_brief=1; }

browse "http://$site:$port/set" "$work/set.html"
step .EditDeleteAndCopyThroughTheModel
browse "http://$site:$port/echo" "$TOLVANE_PEER_ECHO_SITE"
browse "http://$copy:$port/echo" "$TOLVANE_PEER_ECHO_COPY"
step .TheBrowserSentWhatWasCommitted

setsid chromium "${flags[@]}" about:blank >>"$work/browser.log" 2>&1 &
browser=$!
for _ in $(seq 150); do [ -L "$work/profile/SingletonLock" ] && break; sleep 0.1; done
step .ACommitIsRefusedWhileTheBrowserRuns
kill -TERM "$browser"
for _ in $(seq 100); do kill -0 "$browser" 2>/dev/null || break; sleep 0.1; done
kill -KILL -- "-$browser" 2>/dev/null || true
wait "$browser" 2>/dev/null || true
browser=""
[ -L "$work/profile/SingletonLock" ] || { echo "the browser left no lock to test" >&2; exit 1; }
step .AStaleLockIsNoRunningBrowser

export TOLVANE_PEER_V11_PROFILE="$work/v11/Default" TOLVANE_PEER_V11_SITE=v11.localhost
export TOLVANE_PEER_ECHO_V11="$work/echo-v11.html" PEER_PORT=$port PEER_BIN=$peer
# The bus, the keyring and every browser in it end with dbus-run-session.
timeout 180 dbus-run-session -- bash -euo pipefail -c '
  eval "$(printf peer-keyring | gnome-keyring-daemon --unlock --components=secrets)"
  flags=(--headless --no-sandbox --no-first-run --password-store=gnome-libsecret
    --disable-background-networking --disable-component-update --disable-sync --disable-gpu
    --user-data-dir="${TOLVANE_PEER_V11_PROFILE%/Default}")
  timeout 60 chromium "${flags[@]}" --dump-dom "http://$TOLVANE_PEER_V11_SITE:$PEER_PORT/set" >/dev/null
  "$PEER_BIN" --gtest_filter=ChromiumPeerV11.ValuesAreReadAndWrittenWithTheSecretService --gtest_brief=1
  timeout 60 chromium "${flags[@]}" --dump-dom "http://$TOLVANE_PEER_V11_SITE:$PEER_PORT/echo" \
    >"$TOLVANE_PEER_ECHO_V11"
' 2>>"$work/browser.log"
step V11.TheBrowserReadTheEditedV11Value
(unset DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR; step V11.WithoutTheSecretServiceTheValuesAreLocked)
echo "chromium peer test: passed ($(chromium --version))"
