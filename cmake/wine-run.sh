#!/bin/sh
# Runs a Windows program under Wine with the build folder's private prefix.
# WINEPREFIX and DISPLAY come from the caller (scripts/wine-env.sh) when set.
: "${WINEPREFIX:?WINEPREFIX must name the build folder's Wine prefix (source scripts/wine-env.sh)}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
exec wine "$@"
