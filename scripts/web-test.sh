#!/usr/bin/env bash
# The page's tests: builds the site (scripts/web.sh --build-only) and the native
# lumigram-cli of the dev preset when it is missing, then runs the same inputs
# through both (tests/web/*.test.mjs under node; each ends with a line "NAME: F
# failed out of N"), then drives the page in headless Chromium. The last line
# reads like ctest's, for .ci/run's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/web.sh --build-only
cli=build/dev/src/cli/lumigram-cli
if [ ! -x "$cli" ]; then
  cmake --preset dev >/dev/null
  cmake --build --preset dev --target lumigram-cli
fi
# The tests need no modules of Debian's; NODE_PATH was only for em++.
unset NODE_PATH
passed=0
failed=0
for test in tests/web/vectors.test.mjs tests/web/edit_cases.test.mjs; do
  log=$(mktemp)
  node "$test" build/web/lumigram.js "$cli" | tee "$log" || true
  last=$(tail -n 1 "$log")
  rm -f "$log"
  if [[ $last =~ ([0-9]+)\ failed\ out\ of\ ([0-9]+)$ ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  else
    echo "$test did not finish" >&2
    failed=$((failed + 1))
  fi
done
# The page in headless Chromium (Debian's; playwright-core pinned in
# tests/web/package-lock.json downloads no browser). Counted by its top-level
# tests, whose rows are subtests.
bash scripts/web-npm.sh tests/web
log=$(mktemp)
node --test --test-concurrency=1 --test-reporter=tap tests/web/browser.test.mjs tests/web/app.test.mjs | tee "$log" || true
browser_passed=$(grep -c '^ok ' "$log" || true)
browser_failed=$(grep -c '^not ok ' "$log" || true)
rm -f "$log"
if [ $((browser_passed + browser_failed)) -eq 0 ]; then
  echo "tests/web/browser.test.mjs did not finish" >&2
  browser_failed=1
fi
echo "browser: $browser_failed failed out of $((browser_passed + browser_failed))"
passed=$((passed + browser_passed))
failed=$((failed + browser_failed))
total=$((passed + failed))
echo
echo "$((total > 0 ? 100 * passed / total : 0))% tests passed, $failed tests failed out of $total"
[ "$failed" -eq 0 ]
