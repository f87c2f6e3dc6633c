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
  "k to png|convert in/icon.k -o icon.png"
  "32-bit k to png|convert deep.k -o deep.png"
  "png to k|convert pic.png -o pic.k"
  "32-bit png back to k|convert deep32.png -o deep.k"
  "16-bit interlaced png with tRNS to k|convert adam7.png -o adam7.k"
  "palette png to k|convert palette.png -o palette.k"
  "damaged png|convert damaged.png -o damaged.k"
)

# PNGs of other kinds than Lumigram writes: 16-bit RGB with a tRNS colour,
# interlaced, and a 2-bit palette with transparency; and a damaged one.
make_pngs() {
  python3 - "$1" <<'PY'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
def png(path, width, height, depth, kind, rows, extra=b"", interlace=0):
    head = struct.pack(">IIBBBBB", width, height, depth, kind, 0, 0, interlace)
    data = chunk(b"IHDR", head) + extra + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")
    open(path, "wb").write(b"\x89PNG\r\n\x1a\n" + data)
folder = sys.argv[1]
# 5 x 3, 16-bit RGB, Adam7: the passes of 5 x 3 pixels, samples from their place.
passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
rows = b""
for x0, y0, dx, dy in passes:
    xs, ys = range(x0, 5, dx), range(y0, 3, dy)
    if not xs or not ys:
        continue
    for y in ys:
        rows += b"\x00" + b"".join(struct.pack(">HHH", 4000 * x, 9000 * y, 65535 - 5000 * x) for x in xs)
png(folder + "/adam7.png", 5, 3, 16, 2, rows, chunk(b"tRNS", struct.pack(">HHH", 4000, 9000, 60535)), 1)
# 7 x 2, 2-bit palette of three colours, the second half transparent.
palette = chunk(b"PLTE", bytes([200, 10, 10, 10, 200, 10, 10, 10, 200])) + chunk(b"tRNS", bytes([255, 128]))
png(folder + "/palette.png", 7, 2, 2, 3, b"\x00\x1b\x90" + b"\x01\x6c\x30", palette)
damaged = bytearray(open(folder + "/palette.png", "rb").read())
damaged[-20] ^= 1
open(folder + "/damaged.png", "wb").write(damaged)
# A 32-bit picture as a 32-bit BMP gives it, 3 x 2.
bmp = b"BM" + struct.pack("<IIIIiiHHIIiiII", 54 + 24, 0, 54, 40, 3, 2, 1, 32, 0, 24, 0, 0, 0, 0)
bmp += bytes(range(24))
open(folder + "/deep.bmp", "wb").write(bmp)
PY
}

prepare() {
  mkdir -p "$1/in"
  make_bmp "$1/pic.bmp"
  make_pngs "$1"
  "$linux_cli" encode "$1/pic.bmp" "$1/in/icon.k" >/dev/null
  "$linux_cli" convert "$1/in/icon.k" -o "$1/pic.png" >/dev/null
  "$linux_cli" encode "$1/deep.bmp" "$1/deep.k" >/dev/null
  "$linux_cli" convert "$1/deep.k" -o "$1/deep32.png" >/dev/null
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

# A path beginning with "/" is a path on Windows too, not an option.
rm -rf "$work/windows"
prepare "$work/windows"
run windows "$work/windows" info "$work/windows/in/icon.k"
if [ "$(cat "$work/windows/status")" = 0 ] && grep -q "bits per pixel: 18" "$work/windows/stdout"; then
  echo "same: a path beginning with / is a path"
else
  echo "DIFFERENT: info /...: exit $(cat "$work/windows/status")"
  sed 's/^/  /' "$work/windows/stderr"
  failures=$((failures + 1))
fi

echo "compared ${#rows[@]} commands, one hostile package and an absolute path: $failures different"
[ "$failures" -eq 0 ]
