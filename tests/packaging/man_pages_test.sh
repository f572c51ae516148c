#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every manual page renders with neither man nor groff warning about it, names every
# option that its program's --help names, and names in its synopsis and option list
# no option that --help does not (when the program is built). The command-line part
# of the help text names only options of marrowlock --help too.
#   man_pages_test.sh MAN_FOLDER PROGRAM_FOLDER [HELP_TEXT]
set -uo pipefail
pages=$1
programs=$2
help_text=${3:-}
failed=0
count=0
# The options in the text on standard input: "-x" (a value written straight after the
# letter is left off, "-kKEY" is -k) and "--name".
options_in() {
  grep -oE '(^|[][ |,(])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' |
    sed -E 's/^(-[a-z]).*/\1/' | sort -u
}
# Whether an option is among the options on standard input.
named_in() { grep -qxF -- "$1"; }
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
  options=$("$program" --help | grep -E '^(Usage:| )' | options_in)
  [ -n "$options" ] || {
    echo "$name: ${program##*/} --help shows no options"
    failed=1
  }
  on_page=$(options_in <<<"$text")
  for option in $options; do
    if ! named_in "$option" <<<"$on_page"; then
      echo "$name: ${program##*/} --help shows $option, the page does not"
      failed=1
    fi
  done
  # The synopsis, and the tags of the option list (before the description).
  page_options=$({
    sed -n '/^SYNOPSIS/,/^[A-Z]/p' <<<"$text"
    sed -n '/^OPTIONS/,/^[A-Z]/p' <<<"$text" | grep -E '^ {7}-' | sed -E 's/^ +//; s/ {2,}.*//'
  } | options_in)
  for option in $page_options; do
    if ! named_in "$option" <<<"$options"; then
      echo "$name: the page names $option, ${program##*/} --help does not"
      failed=1
    fi
  done
done

# The command line as the help text shows it (the window's F1).
if [ -n "$help_text" ] && [ -x "$programs/marrowlock" ]; then
  options=$("$programs/marrowlock" --help | grep -E '^(Usage:| )' | options_in)
  help_options=$(sed -n '/^THE COMMAND LINE/,/^[A-Z][A-Z ]*$/p' "$help_text" | sed '1d;$d' |
    options_in)
  [ -n "$help_options" ] || {
    echo "the help text shows no command line"
    failed=1
  }
  for option in $help_options; do
    named_in "$option" <<<"$options" ||
      { echo "the help text names $option, marrowlock --help does not"; failed=1; }
  done
  for option in $options; do
    named_in "$option" <<<"$help_options" ||
      { echo "marrowlock --help shows $option, the help text does not"; failed=1; }
  done
fi
[ $count -gt 0 ] || {
  echo "no manual pages in $pages"
  exit 1
}
exit $failed
