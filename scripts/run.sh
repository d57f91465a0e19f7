#!/bin/bash
# Builds Quorvex and starts it in the Wine desktop window of the build's prefix, whose taskbar
# shows the tray icon. Without a display it runs headless under Xvfb. End it from its menu (Exit)
# or with: scripts/run.sh -exit
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target Quorvex
source scripts/wine-env.sh
# The program writes its clips and log beside itself: run a copy of the installation in
# build/run, which keeps them from one run to the next and leaves build/dist as built.
mkdir -p build/run
cp -r build/dist/. build/run/
if [ "${1:-}" = "-exit" ]; then
    exec wine build/run/Quorvex.exe -exit
fi
echo "Clipboard Quorvex runs on display $DISPLAY; right-click its tray icon (bottom right) for the menu."
exec wine build/run/Quorvex.exe
