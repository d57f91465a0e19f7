# Sourced by the build scripts: a private Wine prefix in the build folder, a display, and one
# persistent wineserver so each program start is warm.
: "${QUORVEX_BUILD:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
export WINEPREFIX="$QUORVEX_BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
mkdir -p "$QUORVEX_BUILD"

# Without a usable display, one Xvfb per build folder, reused by later calls. The file keeps the
# display and the Xvfb's process id: a display is reused only while that same Xvfb still runs, never
# one that another build folder started since (the two would share a clipboard).
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    xvfb_file="$QUORVEX_BUILD/.xvfb-display"
    read -r xvfb_display xvfb_pid < "$xvfb_file" 2>/dev/null || true
    if [ -n "${xvfb_pid:-}" ] && { tr '\0' ' ' < "/proc/$xvfb_pid/cmdline"; } 2>/dev/null | grep -q "^Xvfb -displayfd"; then
        export DISPLAY="$xvfb_display"
    else
        # Xvfb picks a free display number itself and reports it once it is ready.
        fd_file="$(mktemp)"
        Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
        export QUORVEX_XVFB_PID=$!
        for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
        export DISPLAY=":$(tr -d '[:space:]' < "$fd_file")"
        rm -f "$fd_file"
        echo "$DISPLAY $QUORVEX_XVFB_PID" > "$xvfb_file"
    fi
fi

# A new prefix runs every program inside one Wine virtual desktop with its own taskbar and tray:
# focus and window states are then Wine's own, with no wait for an X window manager that Xvfb
# lacks. The server is restarted once so that no program of the old setting stays behind.
if [ ! -f "$WINEPREFIX/.quorvex-desktop" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 </dev/null || true
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 </dev/null
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f >/dev/null 2>&1 </dev/null
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.quorvex-desktop"
fi
# Keeps the server alive between programs; it answers 2 when one already runs. Its output goes
# nowhere, so it never holds a caller's pipe open.
wineserver -p >/dev/null 2>&1 </dev/null || true
# Wine's background services start with the first program and inherit its output; start them
# here, with their output going nowhere, so they never hold a test runner's pipe open.
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
