#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build folder BUILD as `cmake --install` does, with the given options
# (--prefix, and DESTDIR from the environment), but leaves BUILD/install_manifest.txt as
# it was: that list belongs to the user's own last install, which it uninstalls.
#   install_to.sh BUILD [CMAKE_INSTALL_OPTION...]
set -euo pipefail
build=$1
shift
manifest=$build/install_manifest.txt
kept=$(mktemp)
trap 'rm -f "$kept"' EXIT
had_manifest=0
if [ -e "$manifest" ]; then
  cp -p "$manifest" "$kept"
  had_manifest=1
fi
status=0
cmake --install "$build" "$@" >/dev/null || status=$?
if [ $had_manifest -eq 1 ]; then cp -p "$kept" "$manifest"; else rm -f "$manifest"; fi
exit $status
