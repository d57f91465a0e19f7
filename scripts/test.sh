#!/bin/bash
# Builds Quorvex and runs every test under Wine (headless under Xvfb where there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
source scripts/wine-env.sh
cd build
ctest --output-on-failure
