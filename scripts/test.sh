#!/usr/bin/env bash
# Sets up, builds (warnings are errors) and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh dev
ctest --preset dev -j2
