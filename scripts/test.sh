#!/bin/bash
# Builds Quorvex and runs every test under Wine (headless under Xvfb where there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
source scripts/wine-env.sh
# Wine's server and services, and an Xvfb started for this run, end with it.
trap 'wineserver -k >/dev/null 2>&1 || true; [ -z "${QUORVEX_XVFB_PID:-}" ] || kill "$QUORVEX_XVFB_PID" 2>/dev/null || true' EXIT
cd build
ctest --output-on-failure
