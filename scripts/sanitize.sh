#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# the whole test suite under them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh asan
export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan-suppressions.txt:print_suppressions=0"
ctest --preset asan -j2
