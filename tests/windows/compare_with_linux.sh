#!/usr/bin/env bash
# Runs the same commands on the same inputs through the Linux lumigram-cli and
# lumigram-cli.exe under Wine, and compares what they write byte for byte:
# every output file, standard output and the exit code. Paths are relative,
# so the texts match too. Member names that only Windows refuses are refused
# there and written on Linux.
# Usage: compare_with_linux.sh LINUX_CLI WINDOWS_EXE   (WINEPREFIX set by the caller)
set -euo pipefail
linux_cli=$(realpath "$1")
windows_exe=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A 5 x 3 24-bit BMP (rows padded to 16 bytes), written byte by byte.
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
make_bmp() {
  {
    printf 'BM'; le32 102; le32 0; le32 54
    le32 40; le32 5; le32 3; le16 1; le16 24; le32 0; le32 48; le32 2835; le32 2835; le32 0; le32 0
    for row in 0 1 2; do
      for x in 0 1 2 3 4; do
        printf "\\x$(printf %02x $((x * 40)))\\x$(printf %02x $((row * 90)))\\x$(printf %02x $((200 - x * 30)))"
      done
      printf '\x00'
    done
  } >"$1"
}

# One row: a name and the arguments, run in a fresh copy of the inputs.
rows=(
  "encode|encode pic.bmp pic.k"
  "decode|decode in/icon.k back.bmp"
  "info|info in/icon.k"
  "pack|pack in skin.ezx"
  "list|list in.ezx"
  "verify|verify in.ezx"
  "unpack|unpack in.ezx out"
  "missing input|decode nothing.k x.bmp"
  "not a skin picture|decode pic.bmp x.bmp"
)

prepare() {
  mkdir -p "$1/in"
  make_bmp "$1/pic.bmp"
  "$linux_cli" encode "$1/pic.bmp" "$1/in/icon.k" >/dev/null
  printf 'GIF89a-not-really' >"$1/in/wall.g"
  printf 'animation' >"$1/in/menu.a"
  (cd "$1" && "$linux_cli" pack in in.ezx >/dev/null)
}

run() {  # run SIDE FOLDER ARGS...
  local side=$1 folder=$2
  shift 2
  local status=0
  if [ "$side" = linux ]; then
    (cd "$folder" && "$linux_cli" "$@" >stdout 2>stderr) || status=$?
  else
    (cd "$folder" && wine "$windows_exe" "$@" >stdout 2>stderr) || status=$?
  fi
  echo "$status" >"$folder/status"
}

failures=0
compare() {  # compare NAME — the two folders must hold the same bytes
  if ! diff -r "$work/linux" "$work/windows" >"$work/diff" 2>&1; then
    echo "DIFFERENT: $1"
    sed 's/^/  /' "$work/diff" | head -20
    failures=$((failures + 1))
  else
    echo "same: $1"
  fi
}

for row in "${rows[@]}"; do
  name=${row%%|*}
  read -r -a arguments <<<"${row#*|}"
  rm -rf "$work/linux" "$work/windows"
  prepare "$work/linux"
  cp -r "$work/linux" "$work/windows"
  run linux "$work/linux" "${arguments[@]}"
  run windows "$work/windows" "${arguments[@]}"
  compare "$name"
done

# Names Windows takes for devices: written on Linux, refused on Windows, with
# the rest of the package unpacked on both.
rm -rf "$work/linux" "$work/windows"
prepare "$work/linux"
for hostile in con.k Nul.g com1.a LPT9.k aux.a prn.g; do
  printf 'x' >"$work/linux/in/$hostile"
done
(cd "$work/linux" && "$linux_cli" pack in hostile.ezx >/dev/null)
cp -r "$work/linux" "$work/windows"
run windows "$work/windows" unpack hostile.ezx out
refused=$(grep -c "it is a reserved device name" "$work/windows/stderr" || true)
written=$(find "$work/windows/out" -type f | wc -l)
if [ "$(cat "$work/windows/status")" = 1 ] && [ "$refused" = 6 ] && [ "$written" = 3 ]; then
  echo "same: reserved device names refused on Windows (6 refused, 3 written)"
else
  echo "DIFFERENT: reserved device names: exit $(cat "$work/windows/status"), $refused refused, $written written"
  sed 's/^/  /' "$work/windows/stderr"
  failures=$((failures + 1))
fi

echo "compared ${#rows[@]} commands and one hostile package: $failures different"
[ "$failures" -eq 0 ]
