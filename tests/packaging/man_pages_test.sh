#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every manual page renders with neither man nor groff warning about it, and names
# every option that its program's --help names (when the program is built).
#   man_pages_test.sh MAN_FOLDER PROGRAM_FOLDER
set -uo pipefail
pages=$1
programs=$2
failed=0
count=0
for page in "$pages"/*.[1-8]; do
  name=$(basename "$page")
  count=$((count + 1))
  warnings=$({
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" >/dev/null
    groff -man -ww -z "$page"
  } 2>&1)
  if [ -n "$warnings" ]; then
    echo "$name: warnings:"
    echo "$warnings"
    failed=1
  fi

  program=$programs/${name%.*}
  [ -x "$program" ] || continue
  text=$(MANWIDTH=200 man -l "$page" 2>/dev/null)
  # The options of the usage lines and of the indented option list.
  options=$("$program" --help | grep -E '^(Usage:| )' | grep -oE '(^|[][ |,])--?[a-z][a-z-]*' |
    grep -oE -- '--?[a-z][a-z-]*' | sort -u)
  [ -n "$options" ] || {
    echo "$name: ${program##*/} --help shows no options"
    failed=1
  }
  for option in $options; do
    if ! grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$text"; then
      echo "$name: ${program##*/} --help shows $option, the page does not"
      failed=1
    fi
  done
done
[ $count -gt 0 ] || {
  echo "no manual pages in $pages"
  exit 1
}
exit $failed
