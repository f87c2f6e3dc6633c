#!/usr/bin/env bash
# The page: installs emscripten (scripts/debian-packages-web.txt), builds the
# web preset (build/web/lumigram.js), assembles build/web/site/ with
# web/build.mjs (esbuild and ESLint pinned in web/package-lock.json, installed
# by npm ci when missing or out of date), and serves it on
# http://127.0.0.1:8000 with Python's http.server. --build-only stops after
# assembling the site.
set -euo pipefail
cd "$(dirname "$0")/.."
serve=1
case "${1:-}" in
  --build-only) serve=0 ;;
  "") ;;
  *) echo "usage: bash scripts/web.sh [--build-only]" >&2; exit 2 ;;
esac
LUMIGRAM_PACKAGES=scripts/debian-packages-web.txt bash scripts/setup.sh
# em++ runs its JavaScript helpers under the node on PATH, which needs
# Debian's own modules (node-acorn) put in its way.
export NODE_PATH=/usr/share/nodejs
# pako, pinned in src/web/package-lock.json, goes into lumigram.js.
bash scripts/web-npm.sh src/web
cmake --preset web >/dev/null
cmake --build --preset web
bash scripts/web-npm.sh web
unset NODE_PATH
site=build/web/site
node web/build.mjs "$site" build/web/lumigram.js
echo "site: $site ($(du -sh "$site" | cut -f1)); lumigram.js $(stat -c %s build/web/lumigram.js) bytes"
if [ "$serve" -eq 1 ]; then
  echo "serving http://127.0.0.1:8000 (Ctrl+C to stop)"
  exec python3 -m http.server 8000 --bind 127.0.0.1 --directory "$site"
fi
