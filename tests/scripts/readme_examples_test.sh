#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# README.md's commands call no sudo (a fresh root has none). The pipelines of
# README.md and the examples of marrowlock-cli(1) run as they are
# written there, with the built programs on PATH, on an account that has no default
# key yet: every command succeeds and says
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

# README.md's commands work as root on a fresh system, which has no sudo, and as a
# user: none calls sudo itself; they use $as_root, which is empty for root only.
sudo_lines=$(awk '/^```sh$/ { inside = 1; next } /^```$/ { inside = 0 } inside' "$src/README.md" |
  grep -E '(^|[;&|(] *)sudo ')
[ -z "$sudo_lines" ] || fail "README.md calls sudo, which a fresh root does not have: $sudo_lines"
as_root_line=$(grep -m 1 '^as_root=' "$src/README.md")
as_root_of() { bash -c "$as_root_line"'; printf "[%s]" "$as_root"'; }
if [ -z "$as_root_line" ]; then
  fail "README.md does not set as_root"
elif [ "$(id -u)" = 0 ]; then
  [ "$(as_root_of)" = "[]" ] || fail "as_root is not empty for root: $(as_root_of)"
  if command -v setpriv >/dev/null; then
    user=$(setpriv --reuid=65534 --regid=65534 --clear-groups bash -c "$as_root_line"'; printf "[%s]" "$as_root"')
    [ "$user" = "[sudo]" ] || fail "as_root is not sudo for a user: $user"
  fi
else
  [ "$(as_root_of)" = "[sudo]" ] || fail "as_root is not sudo for a user: $(as_root_of)"
fi

# The first sh block after the line that introduces the pipelines in README.md, and
# the examples of marrowlock-cli(1) as man shows them.
awk '/^Pipelines, without a plaintext file on the disk/ { found = 1 }
     found && /^```sh$/ { inside = 1; next }
     inside && /^```$/ { exit }
     inside { print }' "$src/README.md" >"$work/readme.sh"
LC_ALL=C MANWIDTH=200 man -l "$src/docs/man/marrowlock-cli.1" 2>/dev/null |
  sed -n '/^EXAMPLES/,/^[A-Z]/p' | sed -n 's/^ \{14\}//p' >"$work/page.sh"

for examples in readme page; do
  [ -s "$work/$examples.sh" ] || {
    fail "$examples: no examples found"
    continue
  }
  # The inputs the examples name; a report whose length is not a whole number of
  # blocks. Each set runs in a fresh account of its own.
  top=$work/$examples
  here=$top/here
  mkdir -p "$top/home" "$top/settings" "$here/photos/2024" "$here/notes"
  head -c 30011 /dev/urandom >"$here/photos/2024/beach.jpg"
  echo "a small one" >"$here/photos/readme.txt"
  printf 'Quarterly report\nAll well.\n' >"$here/report.txt"
  echo "first" >"$here/notes/a.txt"
  echo "second" >"$here/notes/b.txt"

  (cd "$here" && env HOME="$top/home" MARROWLOCK_HOME="$top/settings" \
    PATH="$build:$PATH" bash -e "$work/$examples.sh") >"$top/out" 2>"$top/err" ||
    fail "$examples: the examples failed: $(cat "$top/err")"
  [ -s "$top/err" ] && fail "$examples: the examples wrote on standard error: $(cat "$top/err")"
  diff -r "$here/photos" "$here/restored/photos" >/dev/null ||
    fail "$examples: the unpacked archive differs from the folder it was made of"
  sums=$(grep -E '^[0-9a-f]{64}  -$' "$top/out")
  [ "$(grep -c . <<<"$sums")" = 2 ] && [ "$(sort -u <<<"$sums" | wc -l)" = 1 ] ||
    fail "$examples: the checksums differ: $(cat "$top/out")"
  for note in a b; do
    [ -s "$here/notes/$note.enc" ] || fail "$examples: notes/$note.txt was not encrypted"
  done
  [ -s "$here/listing.enc" ] || fail "$examples: the listing was not encrypted"
done
exit $failed
