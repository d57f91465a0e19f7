#!/bin/bash
# Renders the notification-area icon of Quorvex.exe and its open popup menu, in Wine's virtual
# desktop, to a PNG a person can look at; then the "List of Projects" dialog with two projects.
#
#   scripts/screenshot.sh [out.png]      default: $QUORVEX_BUILD/screenshots/tray-menu.png
#
# QUORVEX_BUILD is the build folder (default build/): its dist/ is the program that is shown. The
# menu is that of a first start (no Save.ini yet: the project item reads "Ctl - A [Roses] "), with
# the registry settings of an earlier one (no first start's balloon covers the menu);
# beside out.png the script also writes <out>-before.png, the desktop just before the right click:
# the open menu covers the icon (Wine keeps a menu that would leave the screen inside it), so that
# picture shows the icon. <out>-about.png shows the about box opened by a double click on the
# icon. A second start with two projects (A "Default" and B "Work") shows <out>-projects.png,
# "List of Projects" opened from the menu, then <out>-keys.png, the Keys dialog opened from the menu
# with the default keys, and <out>-keys-altgr.png, the same with Ctrl+Alt chosen for the recent
# clips (its note on AltGr showing; the dialog is cancelled). A third start, with the project keys
# Ctrl+Alt+Shift+Win and projects A to V but M, shows <out>-new-project-M.png and, once M is made,
# <out>-new-project-W.png: the "New Project" dialog alone, its key's label naming the longest set with
# the widest letters.
#
# <out>-alone.png, <out>-projects-alone.png, <out>-keys-alone.png and <out>-about-alone.png show the
# menu, the list, the Keys dialog and the about box without the desktop around them:
# docs/TrayMenu.png, docs/ProjectList.png and docs/KeysDialog.png, the manual's pictures, are copies
# of the first three.
#
# The pictures are taken in a Wine prefix of their own (wineprefix-screenshots-96dpi/ in the build
# folder) that holds Wine's own fonts, which have the metrics of Windows' (MS Sans Serif, Tahoma,
# Marlett for the caption buttons). QUORVEX_DPI=144 shows it all at that resolution (150 %), in
# wineprefix-screenshots-144dpi/. QUORVEX_DIALOG_FONT=Tahoma draws the dialogs' "MS Sans Serif" in
# that face instead (a prefix of its own again), for a look at the layout in a wider font.
#
# Steps: start a copy of dist/ in "explorer /desktop=Quorvex,1024x700", wait for the desktop and
# for the icon in its tray, right-click the icon with xdotool, wait for the popup menu, capture the
# desktop window with ImageMagick's import, close the menu, end the program with "-exit" and clean
# up: nothing it started keeps running, and neither its settings nor its Run value stay.
# Needs xdotool, ImageMagick and Xvfb (where there is no display).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${QUORVEX_BUILD:=$root/build}"
export QUORVEX_BUILD
out=${1:-$QUORVEX_BUILD/screenshots/tray-menu.png}
mkdir -p "$(dirname "$out")"
out="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"
before="${out%.png}-before.png"

desktop_name=Quorvex
desktop_size=1024x700
desktop_title="$desktop_name - Wine desktop"

say() { echo "screenshot: $*" >&2; }
die() { say "$*"; exit 1; }

for tool in xdotool import xwininfo fc-scan; do
    command -v "$tool" >/dev/null || die "$tool is missing (apt-get install xdotool imagemagick x11-utils fontconfig)"
done
[ -f "$QUORVEX_BUILD/dist/Quorvex.exe" ] || die "no $QUORVEX_BUILD/dist/Quorvex.exe: build the Quorvex target first"

# The Wine server, services and Xvfb that the set-up starts end with this script (cleanup).
trap 'if declare -F quorvex_wine_done >/dev/null; then quorvex_wine_done; fi' EXIT
dpi=${QUORVEX_DPI:-96}
font=${QUORVEX_DIALOG_FONT:-}
export QUORVEX_WINEPREFIX="$QUORVEX_BUILD/wineprefix-screenshots-${dpi}dpi${font:+-${font// /}}"
# shellcheck source=SCRIPTDIR/wine-env.sh
source "$root/scripts/wine-env.sh"
if [ "$(cat "$WINEPREFIX/.quorvex-screenshots" 2>/dev/null)" != "$dpi $font" ]; then
    # Wine's own fonts stand in for Windows' with the same metrics, but this Wine does not find them
    # in its data folder: every face would be a Linux font, and the caption's close button would
    # show the letter that stands for it in Marlett. In the prefix's Fonts folder Wine finds them.
    # Wine puts another face in place of one only where no font of that name is there: with a
    # dialog font chosen, Wine's MS Sans Serif stays out.
    fonts=$(dpkg -L fonts-wine 2>/dev/null | grep -E '\.(ttf|fon)$' || true)
    [ -n "$fonts" ] || die "Wine's own fonts are missing (apt-get install fonts-wine)"
    for file in $fonts; do
        if [ -z "$font" ] || ! fc-scan --format '%{family}\n' "$file" | grep -qx 'MS Sans Serif'; then
            cp "$file" "$WINEPREFIX/drive_c/windows/Fonts/"
        fi
    done
    {
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f &&
            if [ -n "$font" ]; then
                wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
                    /v 'MS Sans Serif' /d "$font" /f
            fi
    } >/dev/null 2>&1 </dev/null || die "could not set the resolution or the dialog font in $WINEPREFIX"
    # Programs read the fonts and the settings when they start: a new server starts them afresh.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1 </dev/null
    QUORVEX_WINESERVER_STARTED=1
    echo "$dpi $font" >"$WINEPREFIX/.quorvex-screenshots"
fi

# Only one copy runs per Wine prefix: a copy already running there (of a run stopped half-way, say)
# would make ours end at once, and our "-exit" would end that one.
for pid in $(pgrep -i -f '^[a-z]:[^ ]*quorvex\.exe' || true); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
        die "Quorvex.exe already runs in $WINEPREFIX (process $pid); end it or set QUORVEX_BUILD to another build folder"
    fi
done

work=$(mktemp -d /tmp/quorvex-shot.XXXXXX)
cp -r "$QUORVEX_BUILD/dist/." "$work/"
exe_win="Z:${work//\//\\}\\Quorvex.exe"
projects="${out%.png}-projects.png"
menu_alone="${out%.png}-alone.png"
projects_alone="${out%.png}-projects-alone.png"
keys="${out%.png}-keys.png"
keys_alone="${out%.png}-keys-alone.png"
keys_altgr="${out%.png}-keys-altgr.png"
about="${out%.png}-about.png"
about_alone="${out%.png}-about-alone.png"

desktop_pid=
program_pid=

# Polls until the command succeeds or the seconds run out; returns its status.
poll() {
    local seconds=$1; shift
    local deadline=$((SECONDS + seconds))
    while ! "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

alive() { [ -n "$1" ] && kill -0 "$1" 2>/dev/null; }
gone() { ! alive "$1"; }

# "-exit" must run in the same Wine desktop as the running copy: that is where it looks for the
# copy's window.
request_exit() {
    wine explorer "/desktop=$desktop_name,$desktop_size" "$exe_win" -exit >/dev/null 2>&1 || true
}

# The copy stored its settings and registered itself to start with Windows; Wine would start
# the removed copy with the next session in this prefix, so neither stays behind.
forget_settings() {
    local root
    for root in HKLM HKCU; do
        wine reg delete "$root\\Software\\CORVELLAN" /f
        wine reg delete "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" /v CORVELLAN /f
    done >/dev/null 2>&1 </dev/null || true
}

cleanup() {
    local status=$?
    if alive "$program_pid"; then
        request_exit
        poll 10 gone "$program_pid" || kill "$program_pid" 2>/dev/null || true
    fi
    if alive "$desktop_pid"; then
        poll 10 gone "$desktop_pid" || kill "$desktop_pid" 2>/dev/null || true
    fi
    forget_settings
    rm -rf "$work"
    quorvex_wine_done
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- the program in a virtual desktop --------------------------------------------------------------
find_desktop() { desk=$(xdotool search --name "^$desktop_title\$" 2>/dev/null | head -n 1); [ -n "$desk" ]; }
# The copy started from $work, found by its own folder (nothing else runs from there).
find_program() { program_pid=$(pgrep -f -- "^Z:.*${work##*/}.Quorvex\.exe" | head -n 1); [ -n "$program_pid" ]; }

# --- find the icon: the rightmost picture in the bottom strip (the taskbar's tray) ----------------
# The strip's commonest colour is the taskbar's face; rows or columns that are almost all another
# colour are the desktop above the taskbar or an edge line and are skipped. What remains at the
# right end is the last tray icon; its centre is printed, in desktop coordinates.
strip_w=320 strip_h=32
find_icon() {
    local ox=$((W - strip_w)) oy=$((H - strip_h))
    icon=$(import -window "$desk" -crop "${strip_w}x${strip_h}+${ox}+${oy}" +repage txt:- 2>/dev/null |
        awk -v ox="$ox" -v oy="$oy" -v sw="$strip_w" -v sh="$strip_h" '
            /^[0-9]+,[0-9]+:/ {
                split($1, p, /[,:]/); x = p[1] + 0; y = p[2] + 0
                c[x, y] = $3; n[$3]++
            }
            END {
                for (k in n) if (n[k] > best) { best = n[k]; bg = k }
                for (y = 0; y < sh; y++) for (x = 0; x < sw; x++) if (c[x, y] != bg) row[y]++
                rows = 0
                for (y = 0; y < sh; y++) if (row[y] < 0.8 * sw) { rows++; for (x = 0; x < sw; x++) if (c[x, y] != bg) col[x]++ }
                maxx = -1
                for (y = 0; y < sh; y++) for (x = 0; x < sw; x++)
                    if (c[x, y] != bg && row[y] < 0.8 * sw && col[x] < 0.8 * rows && x > maxx) maxx = x
                if (maxx < 0) exit 1
                x0 = sw; x1 = -1; y0 = sh; y1 = -1
                for (y = 0; y < sh; y++) for (x = maxx - 23; x <= maxx; x++)
                    if (x >= 0 && c[x, y] != bg && row[y] < 0.8 * sw && col[x] < 0.8 * rows) {
                        if (x < x0) x0 = x; if (x > x1) x1 = x; if (y < y0) y0 = y; if (y > y1) y1 = y
                    }
                if (x1 - x0 < 7 || y1 - y0 < 7) exit 1
                printf "%d %d\n", ox + int((x0 + x1) / 2), oy + int((y0 + y1) / 2)
            }') && [ -n "$icon" ]
}
# Captures the desktop window once two looks 0.2 s apart agree (nothing is being drawn).
stable_capture() {
    local file=$1 a b
    a=$(import -window "$desk" rgb:- | md5sum)
    for _ in $(seq 50); do
        sleep 0.2
        b=$(import -window "$desk" rgb:- | md5sum)
        [ "$a" = "$b" ] && break
        a=$b
    done
    import -window "$desk" "$file"
}

# A menu or a dialog is a new mapped child window of the desktop, larger than any icon.
visible_children() {
    xwininfo -children -id "$desk" | awk '/^ +0x[0-9a-f]+ / {print $1}' | while read -r id; do
        xwininfo -id "$id" 2>/dev/null | awk -v id="$id" '
            /Width:/ {w=$2} /Height:/ {h=$2} /Map State:/ {m=$3}
            END {if (m == "IsViewable" && w > 40 && h > 40) print id}'
    done | sort
}
window_appeared() { [ -n "$(comm -13 <(echo "$shown_before") <(visible_children))" ]; }
window_closed() { ! window_appeared; }
# The window that appeared, alone, without the desktop around it.
capture_new_window() {
    local id
    id=$(comm -13 <(echo "$shown_before") <(visible_children) | head -n 1)
    [ -n "$id" ] && import -window "$id" "$1"
}

# Starts the copy in a new virtual desktop and finds the desktop window, the program and its icon
# (ix, iy).
start_copy() {
    wine explorer "/desktop=$desktop_name,$desktop_size" "$exe_win" >/dev/null 2>&1 &
    desktop_pid=$!
    poll 60 find_desktop || die "the window \"$desktop_title\" did not appear"
    xdotool windowraise "$desk" 2>/dev/null || true  # above any other Wine desktop on the display
    poll 30 find_program || die "Quorvex.exe did not start"
    read -r W H < <(xwininfo -id "$desk" | awk '/^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w, h}')
    if ! poll 30 find_icon; then
        # Wine's tray draws 16-pixel icons in 20-pixel cells at the right end of a 20-pixel taskbar.
        icon="$((W - 10)) $((H - 10))"
        say "no icon found in the tray; clicking its usual place ($icon)"
    fi
    read -r ix iy <<<"$icon"
}

# Ends the copy with "-exit"; its desktop closes with it.
end_copy() {
    request_exit
    poll 20 gone "$program_pid" || say "Quorvex.exe did not end after -exit; stopping it"
    if alive "$program_pid"; then kill "$program_pid" 2>/dev/null || true; fi
    poll 10 gone "$desktop_pid" || kill "$desktop_pid" 2>/dev/null || true
}

# --- a first start: the icon, its menu and the about box -------------------------------------------
# The settings as an earlier start of the program left them: the first start's balloon would cover the menu.
for value in RunAtStartup AppendMode; do
    wine reg add 'HKCU\Software\CORVELLAN' /v "$value" /t REG_DWORD /d 1 /f >/dev/null 2>&1 </dev/null || true
done
start_copy
stable_capture "$before"

shown_before=$(visible_children)
xdotool mousemove --window "$desk" "$ix" "$iy" click 3
poll 20 window_appeared || die "no popup menu appeared after a right click at ($ix, $iy)"
stable_capture "$out"
capture_new_window "$menu_alone"
say "wrote $out (menu), $before (tray before the click) and $menu_alone"
xdotool mousemove --window "$desk" $((W / 2)) $((H / 3)) click 1
poll 10 window_closed || say "the menu did not close"

xdotool mousemove --window "$desk" "$ix" "$iy" click --repeat 2 --delay 80 1
if poll 20 window_appeared; then
    stable_capture "$about"
    capture_new_window "$about_alone"
    say "wrote $about and $about_alone"
    xdotool key Return  # its default button, Close
    poll 10 window_closed || say "the about box did not close"
else
    say "no about box appeared after a double click at ($ix, $iy)"
fi
end_copy

# --- a start with two projects: "Projects..." from the menu with the keyboard ----------------------
printf '[A]\r\nNAME=Default\r\n[B]\r\nNAME=Work\r\n[CURRENT_PRJ]\r\nPRJ=A\r\n' >"$work/Save.ini"
start_copy
shown_before=$(visible_children)
xdotool mousemove --window "$desk" "$ix" "$iy" click 3
poll 20 window_appeared || die "no popup menu appeared for Projects..."
xdotool key Down Down Down Return  # About, the project label, Projects...
sleep 0.5
poll 20 window_appeared || die "\"List of Projects\" did not appear"
stable_capture "$projects"
capture_new_window "$projects_alone"
say "wrote $projects and $projects_alone"
xdotool key Escape
poll 10 window_closed || say "the project list did not close"

# --- the same start: "Keys..." from the menu, the item after Projects... -------------------------
shown_before=$(visible_children)
xdotool mousemove --window "$desk" "$ix" "$iy" click 3
poll 20 window_appeared || die "no popup menu appeared for Keys..."
xdotool key Down Down Down Down Return  # About, the project label, Projects..., Keys...
sleep 0.5
poll 20 window_appeared || die "\"Keys\" did not appear"
stable_capture "$keys"
capture_new_window "$keys_alone"
xdotool key Down  # the first row's list has the focus: the next set, Ctrl+Alt
stable_capture "$keys_altgr"
say "wrote $keys, $keys_alone and $keys_altgr"
xdotool key Escape
poll 10 window_closed || say "the Keys dialog did not close"
end_copy

# --- a start with the longest set for the projects: "New" from the list offers M, then W -------------
{
    printf '[CURRENT_PRJ]\r\nPRJ=A\r\n'
    for letter in {A..L} {N..V}; do printf '[%s]\r\nNAME=%s\r\n' "$letter" "$letter"; done
} >"$work/Save.ini"
wine reg add 'HKCU\Software\CORVELLAN' /v ProjectKeys /d Ctrl+Alt+Shift+Win /f >/dev/null 2>&1 </dev/null || true
start_copy
for letter in M W; do
    shown_before=$(visible_children)
    desktop_alone=$shown_before
    xdotool mousemove --window "$desk" "$ix" "$iy" click 3
    poll 20 window_appeared || die "no popup menu appeared for Projects..."
    xdotool key Down Down Down Return  # About, the project label, Projects...
    sleep 0.5
    poll 20 window_appeared || die "\"List of Projects\" did not appear"
    shown_before=$(visible_children)
    xdotool key alt+n
    poll 20 window_appeared || die "\"New Project\" did not appear"
    sleep 0.5
    capture_new_window "${out%.png}-new-project-$letter.png"
    say "wrote ${out%.png}-new-project-$letter.png"
    xdotool type "Project $letter"
    xdotool key Return  # OK: the project is made, and the list shows again
    sleep 0.5
    xdotool key Escape
    poll 10 eval '[ "$(visible_children)" = "$desktop_alone" ]' || say "the project list did not close"
done
end_copy
