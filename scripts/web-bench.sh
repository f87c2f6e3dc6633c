#!/usr/bin/env bash
# The WebAssembly decode benchmark (bench/web/decode_bench.mjs): builds the web
# preset and the native side (memory_decode_bench, release preset), then runs
# both in one go. Not part of the test run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/web.sh --build-only >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release --target memory_decode_bench >/dev/null
unset NODE_PATH
node bench/web/decode_bench.mjs build/web/lumigram.js build/release/bench/memory_decode_bench
