#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The source package (cpack --config CPackSourceConfig.cmake) holds the files that git
# tracks and nothing else: in a clone of the source with an untracked file and an
# untracked folder beside them, the package has the tracked files and not those.
# Exits 77 (skipped) when the source is no git checkout.
#   source_package_test.sh SOURCE_FOLDER
set -uo pipefail
src=$1
git -C "$src" rev-parse --git-dir >/dev/null 2>&1 || exit 77
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "$*"
  failed=1
}

git clone -q "$src" "$work/src" || exit 1
echo "the plaintext of a secret" >"$work/src/secret.txt"
mkdir "$work/src/notes" && echo "another" >"$work/src/notes/plan.dec"
# Configuring is enough to make the source package's configuration.
cmake -S "$work/src" -B "$work/build" -DBUILD_TESTING=OFF -DMARROWLOCK_GUI=OFF >/dev/null ||
  fail "cmake failed"
(cd "$work/build" && cpack -q --config CPackSourceConfig.cmake >"$work/cpack.log" 2>&1) ||
  fail "cpack failed: $(cat "$work/cpack.log")"
package=$(ls "$work"/build/*-Source.tar.gz 2>/dev/null | head -n 1)
[ -n "$package" ] || {
  echo "no source package made: $(cat "$work/cpack.log")"
  exit 1
}
tar -tzf "$package" | sed 's|^[^/]*/||; /\/$/d; /^$/d' | sort >"$work/packed"
git -C "$work/src" ls-files | sort >"$work/tracked"
diff -u "$work/tracked" "$work/packed" >"$work/diff" ||
  fail "the package does not hold exactly the tracked files: $(cat "$work/diff")"
exit $failed
