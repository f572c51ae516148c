#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Each Windows program carries what Explorer and the loader read from it: the icon, a
# version resource with the project's version, and a manifest that makes the ANSI code
# page UTF-8; marrowlock.exe's also asks for the version 6 common controls and
# per-monitor DPI awareness for its window.
#   windows_resources_test.sh WRESTOOL VERSION PROGRAM.exe...
set -euo pipefail
wrestool=$1
version=$2
shift 2
failed=0
fail() {
  echo "windows_resources: $1" >&2
  failed=1
}
for program in "$@"; do
  name=$(basename "$program")
  listing=$("$wrestool" --list "$program")
  for type in 14 16 24; do  # the icon group, the version, the manifest
    grep -q -- "--type=$type " <<<"$listing" || fail "$name has no resource of type $type"
  done
  # The version's strings are UTF-16: dropping the zero bytes leaves them readable.
  strings=$("$wrestool" --extract --raw --type=16 "$program" | tr -d '\000')
  grep -q "FileVersion$version" <<<"$strings" || fail "$name: no FileVersion $version"
  grep -q "OriginalFilename$name" <<<"$strings" || fail "$name: OriginalFilename is not $name"
  manifest=$("$wrestool" --extract --raw --type=24 --name=1 "$program")
  grep -q '<activeCodePage[^>]*>UTF-8</activeCodePage>' <<<"$manifest" ||
    fail "$name: the manifest does not make the code page UTF-8"
  if [ "$name" = marrowlock.exe ]; then
    grep -q 'Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest" ||
      fail "$name: the manifest does not ask for the version 6 common controls"
    grep -q '<dpiAwareness[^>]*>PerMonitorV2' <<<"$manifest" ||
      fail "$name: the manifest does not make the window per-monitor DPI aware"
  fi
  # The icon holds the small sizes and the large one.
  icon=$(mktemp)
  "$wrestool" --extract --type=14 "$program" >"$icon"
  for size in 16x16 32x32 48x48 256x256; do
    icotool --list "$icon" | grep -q -- "--width=${size%x*} --height=${size#*x}" ||
      fail "$name: the icon has no ${size} image"
  done
  rm -f "$icon"
done
exit $failed
