#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The pipelines of README.md run as they are written there, with the built programs
# on PATH, on an account that has no default key yet: every command succeeds and says
# nothing on standard error, the archive unpacks to the folder it was made of, and
# the two checksums agree.
#   readme_examples_test.sh SOURCE_FOLDER BUILD_FOLDER
set -uo pipefail
src=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "$*"
  failed=1
}

# The first sh block after the line that introduces the pipelines.
awk '/^Pipelines, without a plaintext file on the disk/ { found = 1 }
     found && /^```sh$/ { inside = 1; next }
     inside && /^```$/ { exit }
     inside { print }' "$src/README.md" >"$work/examples.sh"
[ -s "$work/examples.sh" ] || {
  echo "README.md shows no pipelines"
  exit 1
}

# The inputs the examples name; a report whose length is not a whole number of blocks.
mkdir -p "$work/home" "$work/settings" "$work/here/photos/2024" "$work/here/notes"
head -c 30011 /dev/urandom >"$work/here/photos/2024/beach.jpg"
echo "a small one" >"$work/here/photos/readme.txt"
printf 'Quarterly report\nAll well.\n' >"$work/here/report.txt"
echo "first" >"$work/here/notes/a.txt"
echo "second" >"$work/here/notes/b.txt"

(cd "$work/here" && env HOME="$work/home" MARROWLOCK_HOME="$work/settings" \
  PATH="$build:$PATH" bash -e "$work/examples.sh") >"$work/out" 2>"$work/err" ||
  fail "the examples failed: $(cat "$work/err")"
[ -s "$work/err" ] && fail "the examples wrote on standard error: $(cat "$work/err")"
diff -r "$work/here/photos" "$work/here/restored/photos" >/dev/null ||
  fail "the unpacked archive differs from the folder it was made of"
sums=$(grep -c . "$work/out")
[ "$sums" = 2 ] && [ "$(sort -u "$work/out" | wc -l)" = 1 ] ||
  fail "the checksums differ: $(cat "$work/out")"
for note in a b; do
  [ -s "$work/here/notes/$note.enc" ] || fail "notes/$note.txt was not encrypted"
done
[ -s "$work/here/listing.enc" ] || fail "the listing was not encrypted"
exit $failed
