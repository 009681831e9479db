#!/usr/bin/env bash
# Proof with the real Firefox (Debian's firefox-esr, installed here as root):
#   1. Firefox, on a fresh profile, visits the loopback test server, which sets cookies; it exits.
#   2. Tolvane edits a value, deletes a cookie, copies an entry to another .localhost site and
#      commits, through the catalogue (build/tests/test_peer_firefox).
#   3. Firefox starts again: the server sees the edited value, not the deleted cookie, and the
#      copied cookie on the new site; Firefox rebuilt nothing and every other cookie is there.
#   4. While Firefox runs, a commit is refused and the database keeps every byte.
# Bounded: every browser run has a time limit, the server stops by itself, and whatever this
# script started is ended on the way out.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if ! command -v firefox-esr >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends firefox-esr >/dev/null
fi
if [ ! -x build/tests/test_peer_firefox ]; then
  bash scripts/setup.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON >/dev/null
fi
cmake --build build -j"$(nproc)" --target test_peer_firefox >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-firefox-XXXXXX")
server=""
browser=""
# Under set -e a killed process's status would end this trap early: the work folder would stay
# and a passing run would report failure.
finish() {
  if [ -n "$browser" ]; then kill "$browser" 2>/dev/null || true; wait "$browser" 2>/dev/null || true; fi
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT

profile=$work/profile
mkdir -p "$work/home" "$profile" "$work/state"
# A page may close the window (and so end the browser); a fresh profile opens no welcome page
# beside it (a second tab would keep Firefox running).
cat >"$profile/user.js" <<'EOF'
user_pref("dom.allow_scripts_to_close_windows", true);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("startup.homepage_welcome_url", "");
user_pref("startup.homepage_welcome_url.additional", "");
user_pref("browser.aboutwelcome.enabled", false);
user_pref("datareporting.policy.dataSubmissionPolicyBypassNotification", true);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("browser.shell.checkDefaultBrowser", false);
EOF
export TOLVANE_PEER_PROFILE=$profile XDG_STATE_HOME=$work/state

python3 tests/peers/cookie_server.py --max-requests 30 --timeout 300 --log "$work/requests" \
  >"$work/port" 2>"$work/server.log" &
server=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -1 "$work/port")
[ -n "$port" ] || { echo "test-firefox: the test server did not start"; exit 1; }

# Firefox on the profile, to a page that closes its window; it exits then.
firefox_visits() {
  HOME=$work/home timeout -k 5 90 firefox-esr --headless --no-remote --profile "$profile" "$1" \
    >>"$work/firefox.log" 2>&1 || { echo "test-firefox: Firefox did not exit cleanly on $1"; exit 1; }
}
fail() { echo "test-firefox: $*"; exit 1; }
peer() { build/tests/test_peer_firefox --gtest_brief=1 --gtest_filter="FirefoxPeer.$1"; }

# 1.
firefox_visits "http://www.site.localhost:$port/set?close=1"
[ -f "$profile/cookies.sqlite" ] || fail "Firefox left no cookies.sqlite"

# 2.
peer EditDeleteAndCopyAreCommittedThroughTheCatalogue

# 3.
: >"$work/requests"
firefox_visits "http://www.site.localhost:$port/hop?to=http://other.localhost:$port/close"
site=$(awk -F'\t' '$1 == "/hop" && $2 == "www.site.localhost" { print $3 }' "$work/requests")
other=$(awk -F'\t' '$1 == "/close" && $2 == "other.localhost" { print $3 }' "$work/requests")
has() { case "; $1;" in *"; $2;"*) return 0 ;; esac; return 1; }
has "$site" "lasting=edited" || fail "Firefox did not send the edited value to www.site.localhost"
has "$site" "secure=four" || fail "Firefox lost a cookie it was not asked to lose"
has "$site" "domain=six" || fail "Firefox lost the domain cookie of site.localhost"
case "$site" in *httponly=*) fail "Firefox still sent the deleted cookie" ;; esac
has "$other" "lasting=edited" || fail "Firefox did not send the copied cookie to other.localhost"
ls "$profile" | grep -q '^cookies\.sqlite\.bak' && fail "Firefox rebuilt the database"
peer EveryCookieIsThereAfterFirefoxRanAgain

# 4. Firefox stays on a page for a while; as long as it holds the profile, a commit must be
# refused. The page then closes the window and Firefox exits by itself.
HOME=$work/home timeout -k 5 90 firefox-esr --headless --no-remote --profile "$profile" \
  "http://www.site.localhost:$port/linger?seconds=10" >>"$work/firefox.log" 2>&1 &
browser=$!
for _ in $(seq 300); do
  grep -q '^/linger' "$work/requests" && break
  sleep 0.1
done
grep -q '^/linger' "$work/requests" || fail "the running Firefox never reached the server"
sleep 1  # its writes after the page load are done
peer ACommitWhileFirefoxRunsIsRefusedAndChangesNoByte
wait "$browser" || fail "Firefox did not exit cleanly after step 4"
browser=""

echo "test-firefox: $(firefox-esr --version 2>/dev/null): every step passed"
