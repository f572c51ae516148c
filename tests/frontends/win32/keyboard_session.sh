#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A person at the keyboard, and nothing else: marrowlock.exe under Wine on the X display
# that scripts/test-windows started, driven by xdotool with key presses and typed text
# only. The session sets up with no settings and makes a key there, opens a known
# key, types, encrypts, decrypts and saves a text, then encrypts and decrypts a file in
# binary mode. What it writes is compared byte for byte with what the Linux programs
# write with the same key (stored answers, and marrowlock-cli of a Linux build when
# one is at hand). Windows are only looked at, by their titles, to wait for them.
#   keyboard_session.sh MARROWLOCK_EXE SOURCE_DIR
set -euo pipefail
program=$1
source_dir=$2
known=$source_dir/tests/interop
answers=$source_dir/tests/frontends/win32/answers

work=$(mktemp -d)
pid=""
finish() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  [ ! -s "$work/keymap.xkb" ] || xkbcomp "$work/keymap.xkb" "$DISPLAY" 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT
fail() {
  echo "keyboard_session: $*" >&2
  echo "active window: $(xdotool getactivewindow getwindowname 2>/dev/null || echo none)" >&2
  ls -la "$work/folder" >&2
  exit 1
}

# Waits until the window with the focus is titled $1 (a regular expression).
focused() {
  for _ in $(seq 300); do
    name=$(xdotool getactivewindow getwindowname 2>/dev/null || true)
    if [[ "$name" =~ ^$1$ ]]; then
      sleep 0.3  # the window takes its keyboard focus after it is raised
      return 0
    fi
    sleep 0.1
  done
  fail "no window \"$1\" came to the front"
}
# Waits until the file $1 exists and no longer grows.
written() {
  for _ in $(seq 300); do
    [ -s "$1" ] && { sleep 0.3; return 0; }
    sleep 0.1
  done
  fail "$1 was not written"
}
same() {
  cmp "$1" "$2" || fail "$1 differs from $2"
}
press() { xdotool key --delay 80 "$@"; }
typed() { xdotool type --delay 40 "$1"; }

folder=$work/folder
mkdir -p "$folder" "$work/home"
cp "$known/n16.mlk" "$folder/friends.mlk"
cp "$known/plain.bin" "$folder/plain.bin"
cp "$known/n16.enc" "$folder/known.enc"

# The text typed, as bytes in windows-1252 with CR LF, and the padding that ends it.
printf 'Meet at nine.\r\nCaf\xe9 \x805' >"$work/note.txt"
{ cat "$work/note.txt"; printf ' \0\0\0\0\0\0\0\0\0'; } >"$work/note.dec"
{ cat "$known/plain.bin"; printf ' \0\0\0\0\0\0\0'; } >"$work/plain.dec"
linux_cli=${MARROWLOCK_LINUX_CLI:-$source_dir/build/marrowlock-cli}
if [ -x "$linux_cli" ] && "$linux_cli" --version >/dev/null 2>&1; then
  "$linux_cli" encrypt -q -k "$known/n16.mlk" -o "$work/linux-note.enc" "$work/note.txt"
  "$linux_cli" decrypt -q -k "$known/n16.mlk" -o "$work/linux-note.dec" "$work/linux-note.enc"
  "$linux_cli" decrypt -q -k "$known/n16.mlk" -o "$work/linux-plain.dec" "$known/n16.enc"
  same "$answers/note.n16.enc" "$work/linux-note.enc"
  same "$work/note.dec" "$work/linux-note.dec"
  same "$work/plain.dec" "$work/linux-plain.dec"
fi

# The keyboard gets keys for "é" and "€" (the extra key beside Left Shift, alone and
# with Shift) before the program starts. Otherwise xdotool would bind a spare key to
# each character just for its press and unbind it at once, and Wine, which reads the
# key map again when it changes, loses the character about one time in three.
xkbcomp -xkb "$DISPLAY" "$work/keymap.xkb" 2>/dev/null
awk '/key <LSGT>/ { lsgt = 1 }
     lsgt && /symbols\[Group1\]/ {
       sub(/= *\[.*\]/, "= [ eacute, EuroSign, bar, brokenbar ]"); lsgt = 0 }
     { print }' "$work/keymap.xkb" >"$work/keymap-western.xkb"
grep -q "eacute, EuroSign" "$work/keymap-western.xkb" || fail "no key found for é and €"
xkbcomp "$work/keymap-western.xkb" "$DISPLAY" 2>/dev/null

cd "$folder"
MARROWLOCK_HOME=$(winepath -w "$work/home") wine "$program" >"$work/program.log" 2>&1 &
pid=$!

# Set up: the key folder is the working folder; make a key there with the dialog's
# button (name "made", the offered block length), which the file list then selects,
# and take it as the default with OK.
focused "Marrowlock Initial Setup"
press Tab Return
focused marlk
typed made
press Return
focused marlk
press Return
written "$folder/made.mlk"
focused "Marrowlock Initial Setup"
press Tab Return
written "$work/home/mlinfo.dat"
grep -q made.mlk "$work/home/mlinfo.dat" || fail "made.mlk is not the default key"
[ "$(stat -c %s "$folder/made.mlk")" = 32 ] || fail "made.mlk is not a key of 16 bytes"

# Open the known key, type the text, encrypt it as "note".
focused "Marrowlock [0-9].*"
press alt+n
focused "New Key"
typed friends.mlk
press Return
focused "Marrowlock [0-9].*"
typed "Meet at nine."
press Return
typed "Café €5"
press alt+e
focused marlk
typed note
press Return
written "$folder/note.enc"
same "$folder/note.enc" "$answers/note.n16.enc"

# Clear, decrypt it back into the window (and note.dec), save the text.
focused "Marrowlock [0-9].*"
press alt+c alt+d
focused Decrypt
typed note.enc
press Return
written "$folder/note.dec"
same "$folder/note.dec" "$work/note.dec"
focused "Marrowlock [0-9].*"
press alt+s
focused "Save Text"
typed saved.txt
press Return
written "$folder/saved.txt"
same "$folder/saved.txt" "$work/note.dec"

# Binary mode: a file encrypted, and an encrypted file of the Linux build decrypted.
focused "Marrowlock [0-9].*"
press alt+b alt+e
focused marlk
typed plain.bin
press Return
written "$folder/plain.enc"
same "$folder/plain.enc" "$known/n16.enc"
focused "Marrowlock [0-9].*"
press alt+d
focused Decrypt
typed known.enc
press Return
written "$folder/known.dec"
same "$folder/known.dec" "$work/plain.dec"

focused "Marrowlock [0-9].*"
press alt+x
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Alt+X did not end the program"
wait "$pid" || fail "the program ended with status $?"
pid=""
echo "keyboard_session: every result matches the Linux build's"
