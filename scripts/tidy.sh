#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every source file in src/
# of the Linux build, then over the Windows side (src/platform/win32/ and the
# *_win32.cpp files) with the windows preset's compile commands and MinGW-w64's
# headers, where the cross-compiler is installed, then over the WebAssembly
# bindings (src/web) and the core's *_web.cpp files with the web preset's
# compile commands and emscripten's headers, where emscripten is installed.
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

# The Windows side, as the cross-compiler builds it: clang-tidy takes the
# target and the C++ headers of MinGW-w64's GCC, and passes over the GCC
# warning options clang does not know. Only files the Windows build compiles
# (the window is not built there).
if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    if [[ ! -f build/windows/compile_commands.json ]]; then
        cmake --preset windows >/dev/null
    fi
    gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
    mapfile -t win < <(git ls-files 'src/*_win32.cpp' 'src/platform/win32/*.cpp' |
        while read -r file; do
            if grep -q "\"file\": \"$PWD/$file\"" build/windows/compile_commands.json; then
                echo "$file"
            fi
        done)
    printf '%s\n' "${win[@]}" |
        xargs -P "${TIDY_JOBS:-2}" -n 4 clang-tidy -p build/windows --quiet \
            --extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-Wno-unknown-warning-option \
            --extra-arg=-isystem"$gcc/include/c++" \
            --extra-arg=-isystem"$gcc/include/c++/x86_64-w64-mingw32" \
            --extra-arg=-isystem"$gcc/include/c++/backward" >"$log" 2>/dev/null || true
    if grep -E ': (warning|error):' "$log"; then
        echo "tidy.sh: clang-tidy reported the findings above in the Windows sources" >&2
        exit 1
    fi
    echo "tidy.sh: ${#win[@]} files of the Windows build, no findings"
else
    echo "tidy.sh: the Windows sources skipped: MinGW-w64 is not installed (scripts/debian-packages-windows.txt)"
fi

# The bindings and the core's WebAssembly files, as em++ compiles them: its
# target, sysroot and defines, which the compile commands leave to em++ itself.
if ! command -v em++ >/dev/null; then
    echo "tidy.sh: src/web skipped: emscripten is not installed (scripts/debian-packages-web.txt)"
    exit 0
fi
# The web build's configure step reads pako from src/web's pinned npm packages.
bash scripts/web-npm.sh src/web
if [[ ! -f build/web/compile_commands.json ]]; then
    NODE_PATH=/usr/share/nodejs cmake --preset web >/dev/null
fi
sysroot=/usr/share/emscripten/cache/sysroot
mapfile -t web < <(git ls-files 'src/web/*.cpp' 'src/*_web.cpp')
clang-tidy -p build/web --quiet --extra-arg=--target=wasm32-unknown-emscripten \
    --extra-arg=--sysroot=$sysroot --extra-arg=-D__EMSCRIPTEN__ --extra-arg=-DEMSCRIPTEN \
    --extra-arg=-D_LIBCPP_ABI_VERSION=2 --extra-arg=-Xclang \
    --extra-arg=-iwithsysroot/include/compat "${web[@]}" >"$log" 2>/dev/null || true
if grep -E ': (warning|error):' "$log"; then
    echo "tidy.sh: clang-tidy reported the findings above in src/web" >&2
    exit 1
fi
echo "tidy.sh: ${#web[@]} files of the WebAssembly build, no findings"
