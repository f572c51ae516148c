#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# ARCHITECTURE.md's list of where each command is written stays true: every procedure
# of the command table has a row, and each row names the file that defines it.
#   command_files_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
table=$source_dir/src/app/command_table.cpp
doc=$source_dir/ARCHITECTURE.md

procedures=$(sed -nE 's/^ *\{Command::k[A-Za-z0-9]+, ([A-Za-z0-9]+),.*/\1/p' "$table")
if [ -z "$procedures" ]; then
  echo "no commands found in $table" >&2
  exit 1
fi

failed=0
for procedure in $procedures; do
  row=$(grep -E "^\| .* \| \`$procedure\` +\| \`[^\`]+\` +\|$" "$doc" || true)
  if [ -z "$row" ]; then
    echo "ARCHITECTURE.md has no row for $procedure" >&2
    failed=1
    continue
  fi
  file=$(sed -nE 's/.*\| `([^`]+)` +\|$/\1/p' <<<"$row")
  if ! grep -qE "^[A-Za-z].* $procedure\(ProgramState& s\)" "$source_dir/src/$file" 2>/dev/null; then
    echo "ARCHITECTURE.md says $file defines $procedure; it does not" >&2
    failed=1
  fi
done
echo "$(wc -w <<<"$procedures") commands checked"
exit "$failed"
