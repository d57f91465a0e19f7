# Sourced by the build scripts: a private Wine prefix in the build folder, a display, and one
# persistent wineserver so each program start is warm.
#
# QUORVEX_WINEPREFIX picks the prefix: build/wineprefix by default (the tests'); scripts/run.sh
# runs the program in build/run-wineprefix, so a test run never meets it. Each prefix has its own
# Xvfb where there is no display. quorvex_wine_done ends what this set-up started (the server
# with Wine's services, the Xvfb) and leaves alone what already ran. A failing step says what
# failed and makes the source command fail.
: "${QUORVEX_BUILD:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
export WINEPREFIX="${QUORVEX_WINEPREFIX:-$QUORVEX_BUILD/wineprefix}"
export WINEDEBUG=-all
# No Mono/Gecko download; and no menu entries on this machine for the shortcuts a setup program
# makes in the prefix's Start menu.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
mkdir -p "$QUORVEX_BUILD"
quorvex_setup_log="$WINEPREFIX.setup.log"

# Says what failed, with the end of the set-up's own output when there is some.
quorvex_wine_fail() {
    echo "wine-env: $*" >&2
    if [ -s "$quorvex_setup_log" ]; then tail -n 5 "$quorvex_setup_log" | sed 's/^/    /' >&2; fi
    return 1
}

# Ends every process of this prefix: the server's own and any program it lost track of (a test
# runner killed at its time limit leaves its programs, and their services can outlive the server).
quorvex_wine_end_prefix() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    local environ pid
    for environ in /proc/[0-9]*/environ; do
        pid="${environ#/proc/}"
        pid="${pid%/environ}"
        case "$(readlink "/proc/$pid/exe" 2>/dev/null)" in */wine*) ;; *) continue ;; esac
        if tr '\0' '\n' <"$environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            kill -9 "$pid" 2>/dev/null || true
        fi
    done
}

# The display and process id of the Xvfb that a prefix started ("<display> <pid>"), while that same
# Xvfb runs; fails otherwise.
quorvex_prefix_xvfb() {
    local display pid
    read -r display pid 2>/dev/null <"$1.display" || return 1
    [ -n "$pid" ] && { tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null | grep -q "^Xvfb -displayfd" || return 1
    echo "$display $pid"
}

quorvex_wine_done() {
    if [ "${QUORVEX_WINESERVER_STARTED:-0}" = 1 ]; then
        quorvex_wine_end_prefix
        QUORVEX_WINESERVER_STARTED=0
    fi
    if [ -n "${QUORVEX_XVFB_PID:-}" ]; then
        kill "$QUORVEX_XVFB_PID" 2>/dev/null || true
        rm -f "$WINEPREFIX.display"
        QUORVEX_XVFB_PID=
    fi
}

quorvex_wine_setup() {
    local tool n
    for tool in wine wineserver wineboot xdpyinfo; do
        command -v "$tool" >/dev/null ||
            quorvex_wine_fail "$tool is not on PATH: add it, or install Wine and x11-utils (scripts/install-deps.sh)" || return
    done

    # Without a usable display, an Xvfb of this prefix's own, reused by later calls. The file keeps
    # the display and the Xvfb's process id: a display is reused only while that same Xvfb runs,
    # never one that another build folder started since (the two would share a clipboard).
    if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
        local running fd_file
        if running="$(quorvex_prefix_xvfb "$WINEPREFIX")"; then
            export DISPLAY="${running% *}"
        else
            command -v Xvfb >/dev/null || quorvex_wine_fail "there is no display and Xvfb is not on PATH" || return
            # Xvfb picks a free display itself and reports it once it is ready, so two build
            # folders set up at the same moment never end up on one display. In a session of its
            # own: a Ctrl+C meant for the calling script does not end the display.
            fd_file="$(mktemp)"
            setsid Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
            export QUORVEX_XVFB_PID=$!
            for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
            n="$(tr -d '[:space:]' <"$fd_file")"
            rm -f "$fd_file"
            [ -n "$n" ] || quorvex_wine_fail "Xvfb did not start" || return
            export DISPLAY=":$n"
            echo "$DISPLAY $QUORVEX_XVFB_PID" >"$WINEPREFIX.display"
        fi
    fi

    # Keeps the server alive between programs; it answers 2 when one already runs, which is then
    # not ours to end. Its output goes nowhere, so it never holds a caller's pipe open.
    mkdir -p "$WINEPREFIX"
    : >"$quorvex_setup_log"
    local status=0
    wineserver -p >/dev/null 2>&1 </dev/null || status=$?
    if [ "$status" = 0 ]; then
        export QUORVEX_WINESERVER_STARTED=1
    elif [ "$status" != 2 ]; then
        quorvex_wine_fail "wineserver -p failed (status $status) for $WINEPREFIX" || return
    fi

    # A new prefix runs every program inside one Wine virtual desktop with its own taskbar and
    # tray: focus and window states are then Wine's own, with no wait for an X window manager that
    # Xvfb lacks. A program that crashes ends at once with a backtrace and a failing exit code,
    # instead of waiting on a crash dialog nobody sees. The server is restarted once so that no
    # program of the old settings stays behind.
    if [ ! -f "$WINEPREFIX/.quorvex-prefix" ]; then
        { wineboot -i &&
            wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f &&
            wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f &&
            wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f; } \
            >>"$quorvex_setup_log" 2>&1 </dev/null ||
            quorvex_wine_fail "making the Wine prefix $WINEPREFIX failed; see $quorvex_setup_log" || return
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
        wineserver -p >/dev/null 2>&1 </dev/null || true
        touch "$WINEPREFIX/.quorvex-prefix"
    fi
    # Wine's background services start with the first program and inherit its output; start them
    # here, with their output going nowhere, so they never hold a test runner's pipe open. This is
    # also the proof that Wine can run a program in the prefix.
    wine cmd /c exit >>"$quorvex_setup_log" 2>&1 </dev/null ||
        quorvex_wine_fail "Wine cannot run a program in $WINEPREFIX; see $quorvex_setup_log" || return
}

quorvex_wine_setup
