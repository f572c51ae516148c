#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# scripts/run as a newcomer meets it, on what is built (no setup, no build):
#   - without a display, the demonstration's batch round trip ends with status 0, makes
#     its key once, and reads or writes nothing of the user's own settings;
#   - with a display (a virtual X server), the main window opens straight on the
#     demonstration, with no setup dialog;
#   - with arguments, they go to the program;
#   - what it installs (scripts/setup --run) is what building and running need, not the
#     tests' toolchain.
#   run_test.sh SOURCE_FOLDER BUILD_FOLDER [--no-window]
# --no-window: the build has no window (-DMARROWLOCK_GUI=OFF), so only batch mode is tried.
set -uo pipefail
src=$1
build=$2
window=1
[ "${3:-}" = --no-window ] && window=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "$*"
  failed=1
}

# The user's own settings, which the demonstration must leave alone.
mkdir -p "$work/home" "$work/own"
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" \
    MARROWLOCK_HOME="$work/own" MARROWLOCK_RUN_SKIP_BUILD=1 MARROWLOCK_BUILD_DIR="$build" \
    MARROWLOCK_DEMO_DIR="$work/demo" "$@" </dev/null
}

run "$src/scripts/run" >"$work/out" 2>"$work/err" || fail "the batch demonstration failed: $(cat "$work/err")"
grep -q "Round trip checked" "$work/out" || fail "no round trip shown: $(cat "$work/out")"
grep -qF "\$ $build/marrowlock sample.txt -i" "$work/out" || fail "the encryption is not shown"
grep -qF "\$ $build/marrowlock sample.enc -i" "$work/out" || fail "the decryption is not shown"
demo=$work/demo
cmp -s -n "$(stat -c %s "$demo/sample.txt")" "$demo/sample.txt" "$demo/sample.dec" ||
  fail "sample.dec does not start with sample.txt"
cmp -s "$demo/sample.txt" "$demo/sample.enc" && fail "sample.enc is not encrypted"
key=$(od -An -tx1 "$demo/keys/demo.mlk")

# A second run keeps the key, and replaces its own results without a question.
run "$src/scripts/run" >"$work/out" 2>"$work/err" </dev/null || fail "the second run failed: $(cat "$work/err")"
[ "$(od -An -tx1 "$demo/keys/demo.mlk")" = "$key" ] || fail "the second run made a new key"
untouched() { [ -z "$(find "$work/own" "$work/home/.config" -mindepth 1 2>/dev/null)" ]; }
untouched || fail "the user's settings were touched:" $(find "$work/own" "$work/home")

version=$(run "$src/scripts/run" --version) || fail "scripts/run --version failed"
[ "$version" = "$("$build/marrowlock" --version)" ] || fail "scripts/run --version: $version"

run_packages=$("$src/scripts/setup" --run --list) || fail "scripts/setup --run --list failed"
for package in build-essential cmake qt6-base-dev qt6-qpa-plugins librsvg2-bin; do
  grep -qx "$package" <<<"$run_packages" || fail "scripts/setup --run leaves out $package"
done
for package in libgtest-dev googletest libbenchmark-dev clang-format appstream xvfb xdotool; do
  grep -qx "$package" <<<"$run_packages" && fail "scripts/setup --run installs $package"
done

[ $window = 1 ] || exit $failed

# The window: the main window appears, the setup dialog does not.
cat >"$work/window.sh" <<'SH'
QT_QPA_PLATFORM=xcb "$@" >/dev/null 2>&1 &
pid=$!
status=0
timeout 20 xdotool search --sync --onlyvisible --name '^Marrowlock 2003' >/dev/null || status=1
xdotool search --onlyvisible --name 'Initial Setup' >/dev/null && status=2
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit $status
SH
HOME="$work/home" MARROWLOCK_HOME="$work/own" MARROWLOCK_RUN_SKIP_BUILD=1 MARROWLOCK_BUILD_DIR="$build" \
  MARROWLOCK_DEMO_DIR="$work/demo" xvfb-run -a -s "-screen 0 1024x768x24" \
  bash "$work/window.sh" "$src/scripts/run"
case $? in
  0) ;;
  2) fail "the setup dialog opened" ;;
  *) fail "the main window did not open" ;;
esac
untouched || fail "the window run touched the user's settings:" $(find "$work/own" "$work/home")
exit $failed
