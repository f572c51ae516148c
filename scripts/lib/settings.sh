# SPDX-License-Identifier: MIT
# Sourced by scripts that prepare a settings folder for the program.

# write_settings FILE FOLDER NAME: writes the settings file FILE (mlinfo.dat) naming the
# key folder FOLDER and the default key NAME in it: each a length byte, then its bytes.
write_settings() {
  local file=$1 folder=$2 name=$3 folder_length name_length
  folder_length=$(LC_ALL=C; echo ${#folder})
  name_length=$(LC_ALL=C; echo ${#name})
  if [ "$folder_length" -gt 255 ] || [ "$name_length" -gt 255 ]; then
    echo "$folder/$name: longer than the settings can hold (255 bytes each)" >&2
    return 1
  fi
  printf "\\$(printf %03o "$folder_length")%s\\$(printf %03o "$name_length")%s" \
    "$folder" "$name" >"$file"
}
