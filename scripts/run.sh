#!/bin/bash
# Builds Quorvex and starts it in the Wine desktop window of its own prefix (build/run-wineprefix),
# whose taskbar shows the tray icon; without a display it runs headless under Xvfb. The command
# returns when the program ends (its menu's Exit, Ctrl+C here, or "scripts/run.sh -exit" from
# another terminal) and then ends the Wine server, services and Xvfb it started.
#
#   scripts/run.sh -exit   only asks the running program to end: no build, no copy.
set -euo pipefail
cd "$(dirname "$0")/.."
export QUORVEX_WINEPREFIX="$PWD/build/run-wineprefix"
program=build/run/Quorvex.exe

if [ "${1:-}" = "-exit" ]; then
    if [ ! -f "$program" ] || [ ! -d "$QUORVEX_WINEPREFIX" ]; then
        echo "run.sh: Clipboard Quorvex has not been started with scripts/run.sh here; nothing to end."
        exit 0
    fi
    trap 'if declare -F quorvex_wine_done >/dev/null; then quorvex_wine_done; fi' EXIT
    source scripts/wine-env.sh
    wine "$program" -exit
    exit 0
fi

trap 'if declare -F quorvex_wine_done >/dev/null; then quorvex_wine_done; fi' EXIT
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target Quorvex
source scripts/wine-env.sh
# The program writes its clips and log beside itself: run a copy of the installation in
# build/run, which keeps them from one run to the next and leaves build/dist as built.
mkdir -p build/run
cp -r build/dist/. build/run/
echo "Clipboard Quorvex runs on display $DISPLAY; right-click its tray icon (bottom right) for the menu."
echo "End it from its menu (Exit), with Ctrl+C here, or with: scripts/run.sh -exit"
# Out of reach of the terminal's Ctrl+C, which instead asks the program to end as Exit would, so
# it saves its clips.
setsid wine "$program" &
program_pid=$!
trap 'wine "$program" -exit >/dev/null 2>&1 || true' INT TERM
while kill -0 "$program_pid" 2>/dev/null; do wait "$program_pid" || true; done
