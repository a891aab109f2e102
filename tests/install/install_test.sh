#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR as a distribution would
# (prefix /usr) and checks what a Linux desktop expects there; then runs the
# installed program, which must find its window module and sample registry
# from where it was installed.
#   tests/install/install_test.sh BUILD_DIR
set -uo pipefail
build="$1"
root="$(mktemp -d /tmp/regilla-install-XXXXXX)"
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (scripts/deps.sh installs it)" >&2; exit 1; }; }
for tool in appstreamcli desktop-file-validate file; do need "$tool"; done

DESTDIR="$root/dest" cmake --install "$build" --prefix /usr >"$root/install.log" 2>&1 ||
  { cat "$root/install.log" >&2; fail "cmake --install"; exit 1; }
usr="$root/dest/usr"

# The files, and the icon in each size the icon theme asks for.
for f in bin/RegillaMobile lib/RegillaMobile/RegillaMobile-window.so \
         share/applications/RegillaMobile.desktop share/man/man1/RegillaMobile.1.gz \
         share/doc/regillamobile/copyright share/doc/regillamobile/changelog.gz \
         share/icons/hicolor/scalable/apps/regillamobile.svg; do
  [ -f "$usr/$f" ] || fail "not installed: $f"
done
[ -x "$usr/bin/RegillaMobile" ] || fail "the program is not executable"
for size in 16 32 48 256; do
  icon="$usr/share/icons/hicolor/${size}x${size}/apps/regillamobile.png"
  file -b "$icon" | grep -q "^PNG image data, $size x $size," || fail "icon ${size}x${size}: $(file -b "$icon")"
done
file -b "$usr/share/icons/hicolor/scalable/apps/regillamobile.svg" | grep -q SVG || fail "the SVG icon"

# The menu entry and the AppStream data, as the desktop's own tools see them.
desktop-file-validate "$usr/share/applications/RegillaMobile.desktop" || fail "desktop-file-validate"
metainfo=("$usr"/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no AppStream metainfo in share/metainfo"
appstreamcli validate --no-net "${metainfo[@]}" || fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$root/dest" || fail "appstreamcli validate-tree"
grep -q '<launchable type="desktop-id">RegillaMobile.desktop</launchable>' "${metainfo[0]}" ||
  fail "the metainfo does not launch RegillaMobile.desktop"

# The manual names every option of --help and has its own sections.
man="$(gzip -dc "$usr/share/man/man1/RegillaMobile.1.gz" | sed 's/\\-/-/g')"
options="$("$usr/bin/RegillaMobile" --help | grep -oE '^ +(-[a-z],)?--[a-z-]+' | grep -oE -- '--[a-z-]+')"
[ -n "$options" ] || fail "no options in --help"
for option in $options; do
  grep -qF -- "$option" <<<"$man" || fail "the manual lacks $option"
done
for section in OPTIONS KEYS "SCRIPT COMMANDS" FILES "EXIT STATUS"; do
  grep -q "^\.SH \"\?$section\"\?" <<<"$man" || fail "the manual lacks the section $section"
done

# The installed program, started from its installed path, with nothing of
# the build around: a new store from the bundled sample, and a screenshot
# through its window module.
mkdir -p "$root/run"
printf 'dump\nscreenshot %s\n' "$root/run/screen.png" >"$root/run/script.txt"
(cd "$root/run" && env -u REGILLA_WINDOW_MODULE XDG_DATA_HOME="$root/run/data" \
  QT_QPA_PLATFORM=offscreen "$usr/bin/RegillaMobile" --script "$root/run/script.txt" \
  >"$root/run/out.txt" 2>"$root/run/err.txt")
status=$?
[ "$status" -eq 0 ] || { cat "$root/run/err.txt" >&2; fail "the installed program ended with $status"; }
file -b "$root/run/screen.png" | grep -q "^PNG image data, 240 x 320," || fail "no screenshot: $(cat "$root/run/err.txt")"
grep -q '"CSet3:1027":{"text":"Pocket_PC"}' "$root/run/out.txt" || fail "the sample registry was not used"
grep -q 'Pocket_PC' "$root/run/data/RegillaMobile/registry.reg" || fail "the store was not started from the sample"

[ "$failures" -eq 0 ] || exit 1
echo "installed and checked in $root/dest"
