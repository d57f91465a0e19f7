#!/bin/bash
# Runs a Windows test program under another ANSI code page. Wine takes the code page from the Unix
# locale, so the program runs with LC_ALL set to a locale of that code page, in a Wine prefix of
# that code page (build/wineprefix-<code page>, made once) with a display of its own. It is told
# the code page through QUORVEX_CODE_PAGE, so a run that fell back to another one fails.
# Usage: run-in-code-page.sh CODE_PAGE LOCALE PROGRAM [ARGUMENT...]
set -euo pipefail
code_page=$1
export LC_ALL=$2 QUORVEX_CODE_PAGE=$1
shift 2
export QUORVEX_WINEPREFIX="${QUORVEX_BUILD:?the build folder}/wineprefix-$code_page"
# The calling run's display, server and Xvfb belong to its own prefix.
unset DISPLAY QUORVEX_WINESERVER_STARTED QUORVEX_XVFB_PID
trap 'if declare -F quorvex_wine_done >/dev/null; then quorvex_wine_done; fi' EXIT
source "$(dirname "$0")/../scripts/wine-env.sh"
wine "$@"
