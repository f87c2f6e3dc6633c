#!/usr/bin/env bash
# The Windows stage: installs the cross-compiler and Wine
# (scripts/debian-packages-windows.txt), cross-builds the windows preset, runs
# the core and CLI tests under Wine in a fresh prefix, compares the Linux and
# Windows command-line tools byte for byte, and makes the ZIP. Needs the Linux
# lumigram-cli of the dev preset (built here when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
LUMIGRAM_PACKAGES=scripts/debian-packages-windows.txt bash scripts/setup.sh

export WINEPREFIX
WINEPREFIX=$(mktemp -d)
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
# The prefix is made while the build runs.
wineboot --init >/dev/null 2>&1 &
boot=$!

cmake --preset windows >/dev/null
cmake --build --preset windows --target lumigram-cli core_tests cli_tests
wait "$boot" || true

ctest --preset windows
linux_cli=build/dev/src/cli/lumigram-cli
if [ ! -x "$linux_cli" ]; then
  cmake --preset dev >/dev/null
  cmake --build --preset dev --target lumigram-cli
fi
bash tests/windows/compare_with_linux.sh "$linux_cli" build/windows/src/cli/lumigram-cli.exe
(cd build/windows && cpack -G ZIP >/dev/null && ls lumigram-*-windows-x86_64.zip)
echo "windows stage: $((SECONDS - start)) s"
