#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a prefix of its own, as `cmake --install build --prefix
# ~/.local` does, and checks the programs there: their files, a batch round trip, no
# source or build path compiled in, and F1 showing the installed help text.
#   installed_prefix_test.sh SOURCE_FOLDER BUILD_FOLDER
set -euo pipefail
src=$1
build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$(dirname "$0")/install_to.sh" "$build" --prefix "$prefix"
trees=("$src" "$build")
# A sanitized build holds its source paths for the sanitizers' reports.
[ "${MARROWLOCK_SANITIZED_BUILD:-0}" = 1 ] && trees=()
"$src/scripts/check-install" "$prefix" ${trees[@]+"${trees[@]}"}
