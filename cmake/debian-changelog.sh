#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Writes CHANGELOG.md as a Debian changelog on standard output, one entry per
# "## VERSION - DATE" heading, for the package's /usr/share/doc/<package>/changelog.gz.
#   cmake/debian-changelog.sh CHANGELOG.md PACKAGE "NAME <EMAIL>"
set -euo pipefail
changelog=$1 package=$2 maintainer=$3

entry_end() {
  [ -n "$version" ] || return 0
  echo
  echo " -- $maintainer  $(LC_ALL=C date -u -R -d "$date 12:00:00")"
  echo
}

version="" date=""
while IFS= read -r line; do
  if [[ $line =~ ^##\ ([0-9][0-9.]*)\ -\ ([0-9]{4}-[0-9]{2}-[0-9]{2})$ ]]; then
    entry_end
    version=${BASH_REMATCH[1]} date=${BASH_REMATCH[2]}
    printf '%s (%s) unstable; urgency=medium\n\n' "$package" "$version"
  elif [ -z "$version" ]; then
    continue
  elif [[ $line =~ ^###\ (.*)$ ]]; then
    printf '\n  [ %s ]\n' "${BASH_REMATCH[1]}"
  elif [[ $line =~ ^-\ (.*)$ ]]; then
    printf '  * %s\n' "${BASH_REMATCH[1]}"
  elif [[ $line =~ ^\ \ (.*)$ ]]; then
    printf '    %s\n' "${BASH_REMATCH[1]}"
  elif [ -n "$line" ]; then
    printf '  %s\n' "$line"
  fi
done <"$changelog"
entry_end
