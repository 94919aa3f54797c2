#!/usr/bin/env bash
# The page's figures beside the desktop game's (./web --bench): the desktop benchmark runs once
# for the desktop column, then tools/web/bench.mjs measures the page three times.
#   tools/web/bench.sh SITE
set -euo pipefail
site=$(cd "$1" && pwd)
cd "$(dirname "$0")/../.."
BUILD_DIR=build tools/setup.sh web-bench
tools/web/modules.sh
desktop=$(mktemp)
trap 'rm -f "$desktop"' EXIT
echo "The desktop game first: one run of ./bench's table"
(cd build/run && SDL_AUDIODRIVER=dummy ../tools/bench/zantorvix_bench 1) | tee "$desktop"
echo
node tools/web/bench.mjs "$site" build/run/gfx 3 "$desktop"
