#!/usr/bin/env bash
# Sets up, builds and starts Lumigram. Until the window lands this shows the
# command-line companion at work: its help, then a round trip of a small
# picture made here (BMP -> .k -> BMP).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh release
cli=build/release/src/cli/lumigram-cli
"$cli" --help
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A 2 x 2 24-bit BMP: magenta, white / red, blue (bottom row first in the file).
printf 'BM\106\0\0\0\0\0\0\0\066\0\0\0\050\0\0\0\002\0\0\0\002\0\0\0\001\0\030\0\0\0\0\0\020\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' >"$work/demo.bmp"
printf '\0\0\377\377\0\0\0\0\377\0\377\377\377\377\0\0' >>"$work/demo.bmp"
echo
echo "Round trip of a 2 x 2 picture:"
"$cli" encode "$work/demo.bmp" "$work/demo.k"
"$cli" info "$work/demo.k"
"$cli" decode "$work/demo.k" "$work/back.bmp"
echo "decoded $(stat -c %s "$work/back.bmp") bytes to back.bmp"
