#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every source file in src/
# of the Linux build (the *_win32.cpp twins are left to the Windows build, the
# WebAssembly bindings and *_web.cpp files to emscripten's headers).
# Needs build/dev/compile_commands.json: configure the dev preset first
# (cmake --preset dev) and build it once, so that Qt's generated headers exist.
# Exits non-zero when clang-tidy reports anything.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/dev
command -v clang-tidy >/dev/null || { echo "tidy.sh: clang-tidy is not installed" >&2; exit 2; }
if [[ ! -f $build/compile_commands.json ]]; then
    echo "tidy.sh: $build/compile_commands.json is missing; run: cmake --preset dev" >&2
    exit 2
fi
mapfile -t files < <(git ls-files 'src/*.cpp' | grep -Ev '_(win32|web)\.cpp$|^src/web/')
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Two files at a time: the machine's two cores are shared.
printf '%s\n' "${files[@]}" |
    xargs -P "${TIDY_JOBS:-2}" -n 4 clang-tidy -p "$build" --quiet >"$log" 2>/dev/null || true
if grep -E ': (warning|error):' "$log"; then
    echo "tidy.sh: clang-tidy reported the findings above" >&2
    exit 1
fi
echo "tidy.sh: ${#files[@]} files, no findings"
