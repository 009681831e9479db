#!/usr/bin/env bash
# Installs what building, running and testing Tolvane needs, from Debian 12's packages.
# Installs nothing when everything is already there. Packages named as arguments are added.
set -euo pipefail
packages=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsqlite3-dev sqlite3 libssl-dev libsecret-1-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-noto-cjk qt6-translations-l10n
  clang libclang-rt-14-dev
  curl wget python3
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
