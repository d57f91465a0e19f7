#!/bin/bash
# Builds Quorvex and runs every test under Wine, in the tests' own Wine prefix (build/wineprefix),
# headless under Xvfb where there is no display. What the run starts (an Xvfb, Wine's server and
# services) ends with it; a program that scripts/run.sh started lives in another prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
# Set before anything can fail, so a failed step still ends what was started.
cleanup() {
    if declare -F quorvex_wine_done >/dev/null; then quorvex_wine_done; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
source scripts/wine-env.sh
cd build
ctest --output-on-failure
