#!/bin/bash
# Builds Quorvex and runs every test under Wine, in the tests' own Wine prefix (build/wineprefix),
# headless under Xvfb where there is no display. What the run starts (an Xvfb, Wine's server and
# services) ends with it; a program that scripts/run.sh started lives in another prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
# Set before anything can fail, so a failed step still ends what was started.
cleanup() {
    declare -F quorvex_wine_done >/dev/null || return 0
    quorvex_wine_done
    # A code-page run that CTest stopped at its time limit could not end its own prefix's server,
    # services and display: nothing else uses those prefixes.
    local prefix running
    for prefix in "$root"/build/wineprefix-*; do
        [ -d "$prefix" ] || continue
        WINEPREFIX="$prefix" quorvex_wine_end_prefix
        if running="$(quorvex_prefix_xvfb "$prefix")"; then kill "${running#* }" 2>/dev/null || true; fi
    done
}
trap cleanup EXIT
trap 'exit 130' INT TERM
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
source scripts/wine-env.sh
cd build
ctest --output-on-failure
