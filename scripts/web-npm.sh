#!/usr/bin/env bash
# Installs the pinned npm packages of a folder (web or tests/web) from its
# package-lock.json with npm ci, unless node_modules already holds exactly
# them. No install scripts run: the packages need none.
set -euo pipefail
cd "$(dirname "$0")/../$1"
if [ -f node_modules/.package-lock.json ] && [ node_modules/.package-lock.json -nt package-lock.json ]; then
  exit 0
fi
npm ci --no-audit --no-fund --ignore-scripts --loglevel=error
