#!/usr/bin/env bash
# The Debian package holds the program and what a desktop needs to show and run it, under /usr, and depends
# on the libraries the binary links (computed from it) and on what it loads without linking.
# Usage: debian_package.sh <kelvor binary> <build dir>
set -euo pipefail
build=$2
work=$(mktemp -d /tmp/kelvor-deb.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "debian_package: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/kelvor_*_amd64.deb) || fail "no kelvor_<version>_amd64.deb made"
files=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$')
expected="./usr/bin/kelvor
./usr/libexec/kelvor/kelvor-desktop
./usr/share/applications/example.kelvor.Kelvor.desktop
./usr/share/icons/hicolor/scalable/apps/kelvor.svg
./usr/share/kelvor/help/kelvor_de.html
./usr/share/kelvor/help/kelvor_en.html
./usr/share/kelvor/help/kelvor_help.css
./usr/share/metainfo/example.kelvor.Kelvor.metainfo.xml"
[ "$(sort <<<"$files")" = "$(sort <<<"$expected")" ] || fail "contents differ: $files"
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libqt6multimedia6 libpulse0 libadplug fonts-dejavu-core qt6-wayland xdg-user-dirs; do
  grep -q "$need" <<<"$depends" || fail "Depends lacks $need: $depends"
done
# Installed where the package puts it, the menu entry and the launcher name /usr.
dpkg-deb -x "$deb" "$work/root"
grep -qx "Exec=/usr/libexec/kelvor/kelvor-desktop" "$work/root/usr/share/applications/example.kelvor.Kelvor.desktop" ||
  fail "the menu entry does not start the installed launcher"
grep -q 'exec "/usr/bin/kelvor"' "$work/root/usr/libexec/kelvor/kelvor-desktop" || fail "the launcher does not start /usr/bin/kelvor"
file -b "$work/root/usr/bin/kelvor" | grep -q 'stripped' && ! file -b "$work/root/usr/bin/kelvor" | grep -q 'not stripped' ||
  fail "the program is not stripped"
echo "debian_package: passed ($(basename "$deb"), $(stat -c %s "$deb") bytes)"
