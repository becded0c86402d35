#!/usr/bin/env bash
# `cmake --install` puts the program, its application menu entry, its AppStream description, its icon and
# the menu entry's launcher where a desktop finds them; both description files pass their validators, and
# the launcher starts the program in the user's documents folder (the home folder where there is none).
# Usage: desktop_install.sh <kelvor binary> <build dir>
set -euo pipefail
binary=$1
build=$2
work=$(mktemp -d /tmp/kelvor-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "desktop_install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "install failed"; }

cmp -s "$binary" "$prefix/bin/kelvor" || fail "bin/kelvor is not the built program"
desktop=$(ls "$prefix"/share/applications/*.desktop)
[ "$(echo "$desktop" | wc -l)" -eq 1 ] || fail "expected one menu entry, found: $desktop"
id=$(basename "$desktop" .desktop)
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
icon="$prefix/share/icons/hicolor/scalable/apps/kelvor.svg"
launcher="$prefix/libexec/kelvor/kelvor-desktop"
for f in "$metainfo" "$icon"; do [ -s "$f" ] || fail "missing $f"; done
[ -x "$launcher" ] || fail "missing launcher $launcher"

desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
grep -qx "Exec=$launcher" "$desktop" || fail "Exec does not name the installed launcher: $(grep ^Exec "$desktop")"
grep -qx "TryExec=$prefix/bin/kelvor" "$desktop" || fail "TryExec does not name the installed program"
grep -qx "Icon=kelvor" "$desktop" || fail "Icon is not kelvor"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo names another menu entry"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id differs from the menu entry's name"
head -c 200 "$icon" | grep -q "<svg" || fail "the icon is no SVG"

# The launcher's folder, with a stand-in program that prints where it was started.
sed "s|exec \"$prefix/bin/kelvor\"|exec pwd|" "$launcher" >"$work/launcher"
grep -q "exec pwd" "$work/launcher" || fail "the launcher does not start $prefix/bin/kelvor"
# Where it starts: the documents folder that `xdg-user-dir DOCUMENTS` names, and the home folder where that
# folder is missing or the tool is not installed (a minimal system has no xdg-user-dirs).
command -v xdg-user-dir >/dev/null || fail "xdg-user-dir is not installed (scripts/install-deps test installs it)"
home="$work/home"
mkdir -p "$home/.config" "$home/Dokumente" "$work/no-xdg"
ln -s /bin/pwd "$work/no-xdg/pwd"
echo 'XDG_DOCUMENTS_DIR="$HOME/Dokumente"' >"$home/.config/user-dirs.dirs"
start_in() { (cd / && HOME="$home" XDG_CONFIG_HOME="$home/.config" PATH="$1" /bin/sh "$work/launcher"); }
while read -r path folder why; do
  [ "$folder" = home ] && want=$home || want=$home/$folder
  [ "$why" = missing ] && rmdir "$home/Dokumente" 2>/dev/null
  started=$(start_in "$path")
  [ "$started" = "$want" ] || fail "$why: started in $started, not in $want"
done <<EOT
$PATH Dokumente with-the-tool
$work/no-xdg home without-the-tool
$PATH home missing
EOT
echo "desktop_install: passed ($id)"
