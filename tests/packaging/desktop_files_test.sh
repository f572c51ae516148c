#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The desktop files as the desktop reads them: the desktop entry and the AppStream
# metainfo pass their validators, the MIME types give ".mlk" to key files and ".enc",
# below other programs' definitions, to encrypted files, the desktop entry opens only
# types that are defined, and every icon has the size its folder names.
#   desktop_files_test.sh SOURCE_FOLDER BUILD_FOLDER
set -uo pipefail
src=$1
build=$2
failed=0
fail() {
  echo "$*"
  failed=1
}

entry=$src/data/marrowlock.desktop
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate failed"
[ -z "$report" ] || fail "desktop-file-validate: $report"
grep -qE '^Exec=marrowlock .*%[fFuU]' "$entry" || fail "the desktop entry takes no file"

# Installed as the desktop would find them, so that the validator also checks that the
# metainfo's launchable names an installed desktop entry.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
DESTDIR=$tree "$(dirname "$0")/install_to.sh" "$build" --prefix /usr || fail "cmake --install failed"
metainfo=$(ls "$tree"/usr/share/metainfo/*.metainfo.xml)
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $report"
report=$(appstreamcli validate-tree --no-net "$tree" 2>&1) || fail "appstreamcli validate-tree: $report"

# The MIME database that update-mime-database builds from our definitions alone.
mkdir -p "$tree/mime"
cp -r "$tree/usr/share/mime/packages" "$tree/mime/"
report=$(XDG_DATA_HOME=$tree XDG_DATA_DIRS=$tree update-mime-database "$tree/mime" 2>&1) || fail "update-mime-database failed"
[ -z "$report" ] || fail "update-mime-database: $report"
globs=$tree/mime/globs2
grep -qx '50:application/x-marrowlock-key:\*\.mlk' "$globs" || fail "*.mlk is no key file:" $(cat "$globs")
weight=$(grep ':application/x-marrowlock-encrypted:\*\.enc$' "$globs" | cut -d: -f1)
[ -n "$weight" ] && [ "$weight" -lt 50 ] || fail "*.enc is not an encrypted file of low weight:" $(cat "$globs")
for type in $(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' '); do
  grep -q ":$type:" "$globs" || fail "the desktop entry opens $type, which is not defined"
done
grep -q "<mediatype>" "$metainfo" && for type in $(sed -n 's:.*<mediatype>\(.*\)</mediatype>.*:\1:p' "$metainfo"); do
  grep -q ":$type:" "$globs" || fail "the metainfo provides $type, which is not defined"
done

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for icon in "$tree"/usr/share/icons/hicolor/*x*/apps/marrowlock.png; do
  folder=$(basename "$(dirname "$(dirname "$icon")")")
  read -r width height < <(od -An -tu1 -j16 -N8 "$icon" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "${width}x${height}" = "$folder" ] || fail "$icon is ${width}x${height}"
done
exit $failed
