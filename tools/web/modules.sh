#!/usr/bin/env bash
# Installs what the browser journeys and ./web --bench drive the browsers with (puppeteer-core,
# pinned by tools/web/package-lock.json) into tools/web/node_modules with npm ci: once, and again
# when the lock file changes. npm keeps its downloads in ~/.cache/zantorvix/npm.
set -euo pipefail
cd "$(dirname "$0")"
stamp=node_modules/.zantorvix-lock
if [ -f "$stamp" ] && cmp -s package-lock.json "$stamp"; then
    exit 0
fi
if ! command -v npm >/dev/null 2>&1; then
    echo "error: npm is missing (tools/setup.sh test installs it)" >&2
    exit 1
fi
echo "Installing puppeteer-core into tools/web/node_modules (npm ci)"
npm ci --no-audit --no-fund --cache "${XDG_CACHE_HOME:-$HOME/.cache}/zantorvix/npm" --prefer-offline
cp package-lock.json "$stamp"
