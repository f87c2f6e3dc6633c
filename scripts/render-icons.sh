#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG (needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" org.lumigram.Lumigram.svg -o "org.lumigram.Lumigram-$size.png"
done
