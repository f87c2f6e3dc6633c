#!/usr/bin/env bash
# The lint stage: every C++ file in src/, tests/, bench/ and fuzz/ must be laid
# out as clang-format lays it out with the repository's .clang-format; then
# scripts/tidy.sh runs clang-tidy with the project's .clang-tidy, where it
# exists, and scripts/web-lint.sh ESLint over the page's JavaScript. Installs
# both C++ tools (scripts/lint-packages.txt) when missing.
# To fix the layout of a file: clang-format -i FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
LUMIGRAM_PACKAGES=scripts/lint-packages.txt bash scripts/setup.sh
mapfile -d '' files < <(find src tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
  sort -z)
echo "clang-format: ${#files[@]} files"
clang-format --dry-run -Werror "${files[@]}"
bash scripts/web-lint.sh
if [ -f scripts/tidy.sh ]; then
  bash scripts/tidy.sh
fi
echo "lint: clean"
