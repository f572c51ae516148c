#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# marrowlock-cli and marrowlock-keygen carry no code of the window's floors: no
# procedure over ProgramState, and nothing the state library defines.
#   no_window_code_test.sh STATE_LIBRARY PROGRAM...
set -euo pipefail
state_library=$1
shift

# What the state library defines for itself: strong symbols only, since inline and
# template code of the standard library is defined (weakly) in every object.
state_symbols=$(mktemp)
trap 'rm -f "$state_symbols"' EXIT
nm --defined-only "$state_library" | awk '$2 ~ /^[TDBR]$/ {print $3}' | sort -u >"$state_symbols"
if [ ! -s "$state_symbols" ]; then
  echo "no symbols found in $state_library" >&2
  exit 1
fi

failed=0
for program in "$@"; do
  name=$(basename "$program")
  procedures=$(nm -C "$program" | grep -c 'ProgramState' || true)
  echo "$name: $procedures symbols naming ProgramState"
  if [ "$procedures" -ne 0 ]; then
    nm -C "$program" | grep 'ProgramState' | sed 's/^/  /' >&2
    failed=1
  fi
  from_state=$(nm --defined-only "$program" | awk '{print $3}' | sort -u |
               comm -12 - "$state_symbols" | wc -l)
  echo "$name: $from_state symbols of $(basename "$state_library")"
  if [ "$from_state" -ne 0 ]; then
    nm --defined-only "$program" | awk '{print $3}' | sort -u | comm -12 - "$state_symbols" |
      c++filt | sed 's/^/  /' >&2
    failed=1
  fi
done
exit "$failed"
