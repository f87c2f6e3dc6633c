#!/usr/bin/env bash
# Configures and builds one CMake preset (default: release).
# LUMIGRAM_WERROR=ON in the environment (as CI sets it) makes warnings errors in
# any preset.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
cmake --preset "$preset" ${LUMIGRAM_WERROR:+"-DLUMIGRAM_WERROR=$LUMIGRAM_WERROR"} >/dev/null
cmake --build --preset "$preset" -j2
