#!/usr/bin/env bash
# ESLint (pinned in web/package-lock.json) over the page's modules, its build
# and the page's tests and benchmarks, with web/eslint.config.js.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/web-npm.sh web
web/node_modules/.bin/eslint --config web/eslint.config.js --max-warnings 0 web tests/web bench/web
echo "eslint: clean"
