#!/usr/bin/env bash
# Sets up, builds and starts Lumigram's window.
# Without a display (a server, a container) the window cannot be seen: it is then
# started on Qt's offscreen platform for a few seconds to show that it runs, and
# lumigram-cli shows a round trip of a small picture made here instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# Only what it starts: the window, lumigram-cli and the thumbnail helper. The
# tests and benchmarks are built by scripts/test.sh and the bench target.
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target lumigram lumigram-cli lumigram-thumbnail
app=build/release/src/lumigram
cli=build/release/src/cli/lumigram-cli

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting Lumigram. Its scratch files (temp.bmp, ...) go to a private folder of its own."
  exec "$app"
fi

echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset)."
echo "Starting the window on the offscreen platform for 3 seconds:"
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$app" || status=$?
if [ "$status" -eq 124 ]; then
  echo "  the window ran until stopped."
else
  echo "  the window exited with status $status." >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A 2 x 2 24-bit BMP: magenta, white / red, blue (bottom row first in the file).
printf 'BM\106\0\0\0\0\0\0\0\066\0\0\0\050\0\0\0\002\0\0\0\002\0\0\0\001\0\030\0\0\0\0\0\020\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' >"$work/demo.bmp"
printf '\0\0\377\377\0\0\0\0\377\0\377\377\377\377\0\0' >>"$work/demo.bmp"
echo
echo "lumigram-cli, a round trip of a 2 x 2 picture (BMP -> .k -> BMP):"
"$cli" encode "$work/demo.bmp" "$work/demo.k"
"$cli" info "$work/demo.k"
"$cli" decode "$work/demo.k" "$work/back.bmp"
echo "decoded $(stat -c %s "$work/back.bmp") bytes to back.bmp"
echo "Run this from a desktop session to see the window; 'lumigram-cli --help' lists the commands."
