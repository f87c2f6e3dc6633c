#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every source file in src/
# of the Linux build (the Win32 side, src/platform/win32/ and *_win32.cpp, is
# left to the Windows build), then over the WebAssembly bindings (src/web) with
# the web preset's compile commands and emscripten's headers, where emscripten
# is installed.
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
mapfile -t files < <(git ls-files 'src/*.cpp' | grep -Ev '_(win32|web)\.cpp$|^src/web/|^src/platform/win32/')
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

# The bindings, as em++ compiles them: its target, sysroot and defines, which
# the compile commands leave to em++ itself.
if ! command -v em++ >/dev/null; then
    echo "tidy.sh: src/web skipped: emscripten is not installed (scripts/debian-packages-web.txt)"
    exit 0
fi
if [[ ! -f build/web/compile_commands.json ]]; then
    NODE_PATH=/usr/share/nodejs cmake --preset web >/dev/null
fi
sysroot=/usr/share/emscripten/cache/sysroot
mapfile -t web < <(git ls-files 'src/web/*.cpp')
clang-tidy -p build/web --quiet --extra-arg=--target=wasm32-unknown-emscripten \
    --extra-arg=--sysroot=$sysroot --extra-arg=-D__EMSCRIPTEN__ --extra-arg=-DEMSCRIPTEN \
    --extra-arg=-D_LIBCPP_ABI_VERSION=2 --extra-arg=-Xclang \
    --extra-arg=-iwithsysroot/include/compat "${web[@]}" >"$log" 2>/dev/null || true
if grep -E ': (warning|error):' "$log"; then
    echo "tidy.sh: clang-tidy reported the findings above in src/web" >&2
    exit 1
fi
echo "tidy.sh: ${#web[@]} files of src/web, no findings"
