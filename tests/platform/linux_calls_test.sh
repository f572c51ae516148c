#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The platform library calls what only Linux has exactly when the build says it may:
# with MARROWLOCK_LINUX_FEATURES off it calls none of it, so the suite of such a build
# runs the ways a Mac or a BSD takes; with it on, it uses every one (a call dropped by
# mistake would quietly cost speed or safety). nm lists what the library calls.
#   linux_calls_test.sh PLATFORM_LIBRARY ON|OFF
set -euo pipefail
library=$1
features=$2
calls=(renameat2 sync_file_range posix_fadvise getrandom sched_getaffinity)
undefined=$(nm --undefined-only "$library" | awk '{print $NF}' | sed 's/@.*//' | sort -u)
failed=0
for call in "${calls[@]}"; do
  if grep -qx "$call" <<<"$undefined"; then
    [ "$features" = ON ] || { echo "linux_calls: $call is called without Linux features" >&2; failed=1; }
  else
    [ "$features" = OFF ] || { echo "linux_calls: $call is not called" >&2; failed=1; }
  fi
done
exit $failed
