#!/usr/bin/env bash
# Installs Tolvane the two ways a user does, and checks each with Debian's own tools:
#  1. `cmake --install` into a temporary prefix: the desktop entry and the AppStream metadata
#     pass their validators, the installed program opens a demo store under Xvfb and saves a
#     screenshot, both man pages render, the urlcache completion completes;
#  2. the .deb that CPack builds: lintian finds no error, apt installs it, the installed
#     programs run, and purging it leaves nothing of it behind.
# Builds in build/ as scripts/test.sh does (little is left to build after it) and installs what
# it needs from Debian. Part 2 refuses to run where a tolvane package is already installed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh desktop-file-utils appstream lintian help2man man-db dpkg-dev file \
  bash-completion
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

work=$(mktemp -d)
installed_here=""
cleanup() {
  [ -z "$installed_here" ] || DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq tolvane
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "test-install: $*" >&2
  exit 1
}
version=$("$build/urlcache" --version | awk '{ print $NF }')

echo "== cmake --install into a temporary prefix"
# Laid out as a system is, so that appstreamcli can check the tree as a whole.
prefix="$work/root/usr"
cmake --install "$build" --prefix "$prefix" >/dev/null
desktops=("$prefix"/share/applications/*.desktop)
[ ${#desktops[@]} -eq 1 ] || fail "expected one desktop entry, found: ${desktops[*]}"
id=$(basename "${desktops[0]}" .desktop)
for file in bin/tolvane bin/urlcache "share/applications/$id.desktop" \
  "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/scalable/apps/$id.svg" \
  "share/icons/hicolor/64x64/apps/$id.png" "share/icons/hicolor/128x128/apps/$id.png" \
  share/man/man1/tolvane.1.gz share/man/man1/urlcache.1.gz \
  share/bash-completion/completions/urlcache share/doc/tolvane/copyright \
  share/doc/tolvane/changelog.gz; do
  [ -s "$prefix/$file" ] || fail "not installed: $file"
done
for size in 64 128; do
  file -b "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" |
    grep -q "PNG image data, $size x $size" || fail "the $size px icon is not $size px"
done
grep -q --binary-files=text "$id" "$prefix/bin/tolvane" || fail "tolvane does not name itself $id"
# It fails on errors only; its warnings count here too (hints do not).
checked=$(desktop-file-validate "${desktops[0]}" 2>&1) || fail "desktop-file-validate: $checked"
! grep -q "warning:" <<<"$checked" || fail "desktop-file-validate: $checked"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
appstreamcli validate-tree --no-net "$work/root"

echo "== the installed program on a demo store, under Xvfb"
store="$work/store"
mkdir -m 700 "$store"  # an empty folder is a new store
TOLVANE_URLCACHE="$store" "$prefix/bin/urlcache" demo >/dev/null
shot="$work/screenshot.png"
mkdir -p -m 700 "$work/runtime"
env -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$work/runtime" TOLVANE_URLCACHE="$store" \
  TOLVANE_SCREENSHOT="$shot" xvfb-run -a -s "-screen 0 1280x1024x24" "$prefix/bin/tolvane"
file -b "$shot" | grep -q "PNG image data" || fail "no screenshot"
cp "$shot" "$build/installed-screenshot.png"
echo "Screenshot: $build/installed-screenshot.png"

echo "== man pages"
for page in tolvane urlcache; do
  text=$(MANWIDTH=80 man --warnings -P cat -l "$prefix/share/man/man1/$page.1.gz" 2>"$work/man.err")
  [ ! -s "$work/man.err" ] || fail "man $page: $(cat "$work/man.err")"
  grep -q -- "--version" <<<"$text" || fail "man $page names no --version"
  grep -q "^ *$page - " <<<"$text" || fail "man $page has no NAME line"
done

echo "== urlcache completion"
# Candidates for the command line WORDS..., the last one being completed.
candidates() {
  PATH="$prefix/bin:$PATH" bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    shift
    COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    _urlcache
    printf "%s\n" "${COMPREPLY[@]}"' _ "$prefix/share/bash-completion/completions/urlcache" "$@"
}
commands=$(candidates urlcache "")
man_urlcache=$(man -P cat -l "$prefix/share/man/man1/urlcache.1.gz")
for command in list show check demo; do
  grep -qx "$command" <<<"$commands" || fail "completion lacks the command $command: $commands"
done
for command in $commands; do
  grep -qw -- "$command" <<<"$man_urlcache" || fail "man urlcache lacks the command $command"
done
options=$(candidates urlcache --)
for option in --store --help --version; do
  grep -qx -- "$option" <<<"$options" || fail "completion lacks the option $option: $options"
done
mkdir "$work/stores"
touch "$work/stores/cookies.txt"
[ "$(candidates urlcache --store "$work/stores/coo")" = "$work/stores/cookies.txt" ] ||
  fail "a store location does not complete as a file"
[ "$(candidates urlcache --store "$work/stores" ch)" = "check" ] ||
  fail "the command after --store LOCATION does not complete"
[ -z "$(candidates urlcache show "")" ] || fail "a URL completes as something"

echo "== the Debian package"
if dpkg-query -W -f='${db:Status-Status}' tolvane 2>/dev/null | grep -qv not-installed; then
  fail "a tolvane package is installed on this machine; purge it first (apt-get purge tolvane)"
fi
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/package/tolvane_*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package, found: ${debs[*]}"
deb=$(realpath "${debs[0]}")
echo "Package: $deb"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "Depends was not computed"
lintian --fail-on error "$deb"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null
installed_here=1
dpkg-query -L tolvane >"$work/files"
[ "$(/usr/bin/urlcache --version)" = "urlcache (Tolvane) $version" ] || fail "urlcache --version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/tolvane --version)" = "tolvane (Tolvane) $version" ] ||
  fail "tolvane --version"
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq tolvane >/dev/null
installed_here=""
if dpkg-query -W -f='${db:Status-Status}' tolvane 2>/dev/null | grep -qv not-installed; then
  fail "tolvane is still known to dpkg after the purge"
fi
left=()
while read -r path; do
  if [ -d "$path" ]; then
    # Folders other packages own stay.
    dpkg-query -S "$path" >/dev/null 2>&1 || left+=("$path")
  elif [ -e "$path" ] || [ -L "$path" ]; then
    left+=("$path")
  fi
done <"$work/files"
[ ${#left[@]} -eq 0 ] || fail "left after the purge: ${left[*]}"
echo "test-install: all passed"
