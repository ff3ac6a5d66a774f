# lib.sh: runs quelvaro on a virtual X display (Xvfb) under a small window
# manager (openbox) and drives it the way a person would, with xdotool.
#
# Source it from a test script; it owns a scratch folder and every process it
# starts, and an EXIT trap ends them all, so a failing or interrupted test never
# leaves Xvfb, openbox or the program behind. Every wait has a deadline.
#
#   e2e_start_display [DEPTH]     Xvfb 1280x1024 at DEPTH (24), then openbox
#                                 (E2E_PROGRAM_ALT_F4=1: without its Alt+F4)
#   e2e_start_program PROGRAM     the program, its output kept in $E2E_TMP
#   e2e_start_quelvaro PROGRAM    display and program; sets main and panel
#   e2e_start_watched PROGRAM     the same, drawn; sets client, leaves the panel out of views
#   e2e_wait_window REGEX [SECS]  the visible window whose title matches
#   e2e_client_geometry WID       "x y w h" of a client area, screen coordinates
#   e2e_settled_geometry WID      the same, once the window stopped moving
#   e2e_frame_geometry WID        "x y w h" of the window manager's frame
#   e2e_union_geometry "x y w h"...  the rectangle that holds them all
#   e2e_wait_drawn "x y w h"      until the client area shows its first picture
#   e2e_shot FILE                 screenshot of the whole screen
#   e2e_crop SRC "x y w h" DEST   a region of a screenshot, written to a file
#   e2e_view SRC "x y w h" DEST   a client area, with E2E_EXCLUDE blacked out
#   e2e_diff A B                  how many pixels of two images differ
#   e2e_mask, e2e_count_white, e2e_count_common, e2e_white_box, e2e_pixels
#                                 pick out and measure things in a picture
#   e2e_click / e2e_drag          the pointer, in screen coordinates
#   e2e_close WID                 a close request through the window manager
#   e2e_wait_active WID           until the window manager made WID active
#   e2e_wait_new_frames "x y w h" [N]  until the client area showed N new pictures
#   e2e_wait_exit [SECS]          waits for the program; sets E2E_STATUS
#   check / fail / note           report a result
#
# Set E2E_KEEP=1 to keep the scratch folder (screenshots, output) after a run,
# E2E_KEEP_ON_FAIL=1 to keep it only when the test fails.

set -uo pipefail

E2E_SCREEN_W=1280
E2E_SCREEN_H=1024
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quelvaro-e2e.XXXXXX")
E2E_XVFB_PID=""
E2E_WM_PID=""
E2E_PROG_PID=""
E2E_STATUS=""
# X clients get this long to answer; a hung display fails the test instead of hanging it.
E2E_X_TIMEOUT=10

# --- reporting ---------------------------------------------------------------

note() { printf '  %s\n' "$*"; }

# Records one passed check.
check() { printf 'ok: %s\n' "$*"; }

# The test's own shell and its output: a helper run inside $(...) is a
# subshell whose output the caller reads, so fail reports to the saved output
# and tells the test's shell to end too.
E2E_MAIN_PID=$BASHPID
exec {E2E_REPORT_FD}>&1
trap 'exit 1' USR1

# Reports a failed check, with what was seen, and ends the test, also when
# called from a helper inside $(...).
fail() {
    {
        printf 'FAIL: %s\n' "$*"
        if [[ -s "$E2E_TMP/prog.err" ]]; then
            printf '  program stderr:\n'
            sed 's/^/    /' "$E2E_TMP/prog.err" | head -20
        fi
    } >&"$E2E_REPORT_FD"
    [[ $BASHPID == "$E2E_MAIN_PID" ]] || kill -USR1 "$E2E_MAIN_PID"
    exit 1
}

# --- clean-up ----------------------------------------------------------------

# Ends one process: a polite TERM, then KILL if it is still there after 2 s.
e2e_stop_pid() {
    local pid=$1
    [[ -n "$pid" ]] || return 0
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
    kill -TERM "$pid" 2>/dev/null
    local i
    for ((i = 0; i < 20; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

# The program first (and whatever a test's e2e_stop_extra ends besides, such
# as the processes a runtime started for it), then the window manager, then
# the display.
e2e_cleanup() {
    local rc=$?
    trap - EXIT INT TERM
    e2e_stop_pid "$E2E_PROG_PID"
    if declare -F e2e_stop_extra >/dev/null; then e2e_stop_extra; fi
    e2e_stop_pid "$E2E_WM_PID"
    e2e_stop_pid "$E2E_XVFB_PID"
    if [[ "${E2E_KEEP:-0}" == 1 || ( $rc -ne 0 && "${E2E_KEEP_ON_FAIL:-0}" == 1 ) ]]; then
        echo "kept: $E2E_TMP"
    else
        rm -rf "$E2E_TMP"
    fi
    exit $rc
}
trap e2e_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- waiting -----------------------------------------------------------------

# Retries a command every 0.1 s until it succeeds or SECS pass; returns its last status.
e2e_retry() {
    local secs=$1
    shift
    local deadline=$((SECONDS + secs))
    while true; do
        "$@" && return 0
        ((SECONDS >= deadline)) && return 1
        sleep 0.1
    done
}

# An X client, bounded in time.
x() { timeout "$E2E_X_TIMEOUT" "$@"; }

# --- display and window manager ----------------------------------------------

# Starts Xvfb on a free display number (Xvfb picks it and tells us through
# -displayfd once it accepts clients), exports DISPLAY, then starts openbox and
# waits until it manages the screen. With E2E_PROGRAM_ALT_F4=1 openbox runs on
# a copy of its configuration without its own Alt+F4 binding, so that the key
# reaches the program, as on a desktop whose window manager leaves it alone.
e2e_start_display() {
    local depth=${1:-24}
    local fdfile="$E2E_TMP/displayfd"
    : >"$fdfile"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN_W}x${E2E_SCREEN_H}x${depth}" -nolisten tcp -noreset \
        3>"$fdfile" >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    e2e_retry 15 grep -q '[0-9]' "$fdfile" || fail "Xvfb did not start: $(tail -3 "$E2E_TMP/xvfb.log")"
    export DISPLAY=":$(tr -dc '0-9' <"$fdfile")"
    unset SDL_VIDEODRIVER WAYLAND_DISPLAY

    local config=()
    if [[ "${E2E_PROGRAM_ALT_F4:-}" == 1 ]]; then
        sed '/<keybind key="A-F4">/,/<\/keybind>/d' /etc/xdg/openbox/rc.xml >"$E2E_TMP/rc.xml"
        config=(--config-file "$E2E_TMP/rc.xml")
    fi
    openbox --sm-disable "${config[@]}" >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_WM_PID=$!
    e2e_retry 15 e2e_wm_running || fail "openbox did not take the screen: $(tail -3 "$E2E_TMP/openbox.log")"
}

e2e_wm_running() { x wmctrl -m 2>/dev/null | grep -qi openbox; }

# --- the program -------------------------------------------------------------

# Starts the program in the background with its stdout and stderr kept apart.
# A script's background jobs begin with SIGINT and SIGQUIT ignored; env gives
# them back their default handling, as a program started from a terminal has.
e2e_start_program() {
    local prog=$1
    shift
    [[ -x "$prog" ]] || fail "no program at $prog"
    env --default-signal=INT,QUIT "$prog" "$@" >"$E2E_TMP/prog.out" 2>"$E2E_TMP/prog.err" &
    E2E_PROG_PID=$!
}

e2e_program_running() { [[ -n "$E2E_PROG_PID" ]] && kill -0 "$E2E_PROG_PID" 2>/dev/null; }

# Waits up to SECS for the program to end and puts its exit status in
# E2E_STATUS; "timeout" if it was still running (it is then killed).
e2e_wait_exit() {
    local secs=${1:-10}
    if ! e2e_retry "$secs" eval '! e2e_program_running'; then
        E2E_STATUS=timeout
        e2e_stop_pid "$E2E_PROG_PID"
        E2E_PROG_PID=""
        return 1
    fi
    wait "$E2E_PROG_PID" 2>/dev/null
    E2E_STATUS=$?
    E2E_PROG_PID=""
    return 0
}

# --- windows -----------------------------------------------------------------

# Prints the id of the one visible window whose title matches the extended
# regular expression, once it exists; fails the test after SECS.
e2e_wait_window() {
    local regex=$1 secs=${2:-10}
    local deadline=$((SECONDS + secs)) ids
    while true; do
        ids=$(x xdotool search --onlyvisible --name "$regex" 2>/dev/null)
        if [[ -n "$ids" ]]; then
            echo "$ids" | head -1
            return 0
        fi
        if ! e2e_program_running; then
            echo "the program ended before a window titled /$regex/ showed" >&2
            return 1
        fi
        if ((SECONDS >= deadline)); then
            echo "no window titled /$regex/ within ${secs}s; windows: $(e2e_window_list)" >&2
            return 1
        fi
        sleep 0.1
    done
}

# The titles of quelvaro's main window and of its panel.
MAIN_TITLE=' QUELVARO  by Ostrevan'
PANEL_TITLE='OPTIONS - SOFT BY OSTREVAN'
# The wire box is drawn unlit in (0, 0, 0.9).
BOX_BLUE='rgb(0,0,230)'

# Starts PROGRAM on a fresh 24-bit display and waits for its main window and
# its panel; sets main and panel to their window ids.
e2e_start_quelvaro() {
    e2e_start_display 24
    e2e_start_program "$1"
    main=$(e2e_wait_window "^${MAIN_TITLE}\$" 15) || fail "main window: $(e2e_window_list)"
    panel=$(e2e_wait_window "^${PANEL_TITLE}\$" 10) || fail "panel: $(e2e_window_list)"
}

# Starts PROGRAM as e2e_start_quelvaro does and waits for its first picture;
# sets client to the main window's client area "x y w h" and leaves the
# panel's frame out of every view (E2E_EXCLUDE).
e2e_start_watched() {
    e2e_start_quelvaro "$1"
    client=$(e2e_client_geometry "$main")
    E2E_EXCLUDE=("$(e2e_frame_geometry "$panel")")
    e2e_wait_drawn "$client" 10
}

# Every top-level window and its title, on one line, for failure reports.
e2e_window_list() { x xwininfo -root -tree 2>/dev/null | grep -E '^ +0x[0-9a-f]+ "' | sed -E 's/^ +//; s/:.*//' | tr '\n' ';'; }

# The window's title as the window system holds it.
e2e_title() { x xdotool getwindowname "$1"; }

# "x y w h" of the window's client area: position on the screen, size.
e2e_client_geometry() {
    x xwininfo -id "$1" | awk '
        /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
        END { print x, y, w, h }'
}

# Like e2e_client_geometry, once the window has stopped moving (openbox
# animates minimising and restoring): two reads 0.2 s apart agree.
e2e_settled_geometry() {
    local id=$1 deadline=$((SECONDS + ${2:-5})) last="" now
    while true; do
        now=$(e2e_client_geometry "$id")
        [[ -n "$now" && "$now" == "$last" ]] && { echo "$now"; return 0; }
        ((SECONDS < deadline)) || { echo "$now"; return 1; }
        last=$now
        sleep 0.2
    done
}

# The window manager's frame around a client: the ancestor that is a child of
# the root window. Prints the frame's "x y w h" (the outer size of the window).
e2e_frame_geometry() {
    local id=$1 parent root
    root=$(x xwininfo -root | awk '/Window id:/ { print $4 }')
    for _ in 1 2 3 4 5 6 7 8; do
        parent=$(x xwininfo -children -id "$id" | awk '/Parent window id:/ { print $4 }')
        [[ -z "$parent" || "$parent" == "$root" ]] && break
        id=$parent
    done
    e2e_client_geometry "$id"
}

# Sends a close request the way the frame's close box does.
e2e_close() { x wmctrl -i -c "$1"; }

# Prints the id (decimal, as xdotool gives it) of the window the window manager made active.
e2e_active_window() { x xprop -root _NET_ACTIVE_WINDOW | awk '{ printf "%d\n", $NF }'; }

# Waits until WID is the active window: the window manager has handled every
# request sent before the one that made it so.
e2e_wait_active() {
    E2E_WANT_ACTIVE=$1
    e2e_retry "${2:-10}" eval '[[ "$(e2e_active_window)" == "$E2E_WANT_ACTIVE" ]]' ||
        fail "window $1 did not become active (active: $(e2e_active_window))"
}

# Waits until the client "x y w h" shows N (1) pictures different from the
# one before it: the program has gone round its loop, handling what had come
# in, that many times since.
e2e_wait_new_frames() {
    local client=$1 n=${2:-1} secs=${3:-10} i deadline
    deadline=$((SECONDS + secs))
    e2e_shot "$E2E_TMP/frame.ppm"
    e2e_view "$E2E_TMP/frame.ppm" "$client" "$E2E_TMP/frame_last.ppm"
    for ((i = 0; i < n; i++)); do
        while true; do
            e2e_shot "$E2E_TMP/frame.ppm"
            e2e_view "$E2E_TMP/frame.ppm" "$client" "$E2E_TMP/frame_now.ppm"
            (($(e2e_diff "$E2E_TMP/frame_last.ppm" "$E2E_TMP/frame_now.ppm") > 0)) && break
            ((SECONDS < deadline)) || fail "no new picture in the window within ${secs}s"
            sleep 0.1
        done
        mv "$E2E_TMP/frame_now.ppm" "$E2E_TMP/frame_last.ppm"
    done
}

# --- pictures ------------------------------------------------------------------

# Saves the whole screen as a PNG.
e2e_shot() { x import -window root "$1" || fail "screenshot $1 failed"; }

# Copies the region "x y w h" of an image to DEST.
e2e_crop() {
    local src=$1 dest=$3
    local -a r
    read -r -a r <<<"$2"
    convert "$src" -crop "${r[2]}x${r[3]}+${r[0]}+${r[1]}" +repage "$dest" || fail "crop of $src failed"
}

# Regions "x y w h" (screen coordinates) that e2e_view paints black: other
# windows lying over the one under test, like the panel over the main window.
E2E_EXCLUDE=()

# Copies the client area "x y w h" (screen coordinates) of a screenshot to
# DEST, with the E2E_EXCLUDE regions painted black, so that only this window's
# own pixels take part in a comparison. Given COLOUR FUZZ MASK as well, it also
# writes the mask of the pixels close to COLOUR (see e2e_mask), in the same pass.
e2e_view() {
    local src=$1 dest=$3 region
    local -a c r draw=() mask=()
    read -r -a c <<<"$2"
    for region in "${E2E_EXCLUDE[@]}"; do
        read -r -a r <<<"$region"
        draw+=(-draw "rectangle $((r[0] - c[0])),$((r[1] - c[1])) $((r[0] - c[0] + r[2] - 1)),$((r[1] - c[1] + r[3] - 1))")
    done
    if [[ $# -ge 6 ]]; then
        mask=(-alpha off -fuzz "$5" -fill white -opaque "$4" -fill black +opaque white "$6")
        convert "$src" -crop "${c[2]}x${c[3]}+${c[0]}+${c[1]}" +repage -fill black "${draw[@]}" -write "$dest" \
            "${mask[@]}" || fail "crop of $src failed"
    else
        convert "$src" -crop "${c[2]}x${c[3]}+${c[0]}+${c[1]}" +repage -fill black "${draw[@]}" "$dest" ||
            fail "crop of $src failed"
    fi
}

# Prints the number of pixels in which two images of one size differ.
e2e_diff() {
    compare -metric AE "$1" "$2" null: 2>&1 | awk '{ printf "%d\n", $1 }'
}

# Keeps only the pixels close to COLOUR (white), all others black: a mask
# that follows one kind of thing on the screen (the wire box, the marker).
e2e_mask() {
    local src=$1 colour=$2 fuzz=$3 dest=$4
    convert "$src" -alpha off -fuzz "$fuzz" -fill white -opaque "$colour" -fill black +opaque white "$dest"
}

# Prints the number of white pixels in a mask.
e2e_count_white() { convert "$1" -format '%[fx:int(mean*w*h+0.5)]' info:; }

# Prints how many white pixels two masks of one size share.
e2e_count_common() {
    convert "$1" "$2" -compose multiply -composite -format '%[fx:int(mean*w*h+0.5)]' info:
}

# Prints "w h x y" of the smallest box holding every white pixel of an image
# (after the convert operations given after the file), or nothing when there
# is none.
e2e_white_box() {
    local src=$1
    shift
    convert "$src" "$@" -format '%[fx:maxima] %@' info: 2>/dev/null |
        awk '$1 > 0 { split($2, g, /[x+]/); print g[1], g[2], g[3], g[4] }'
}

# Prints the smallest "x y w h" that holds every rectangle given, each as
# "x y w h", cut at the screen's top and left edges.
e2e_union_geometry() {
    local x y w h x0 y0 x1 y1 r
    read -r x0 y0 w h <<<"$1"
    x1=$((x0 + w)) y1=$((y0 + h))
    shift
    for r in "$@"; do
        read -r x y w h <<<"$r"
        ((x < x0)) && x0=$x
        ((y < y0)) && y0=$y
        ((x + w > x1)) && x1=$((x + w))
        ((y + h > y1)) && y1=$((y + h))
    done
    ((x0 < 0)) && x0=0
    ((y0 < 0)) && y0=0
    echo "$x0 $y0 $((x1 - x0)) $((y1 - y0))"
}

# Prints the colour "r g b" (0..255) of each listed pixel "x,y" of an image, one line each.
e2e_pixels() {
    local img=$1
    shift
    local fmt="" p
    for p in "$@"; do
        fmt+="%[fx:int(255*p{$p}.r+0.5)] %[fx:int(255*p{$p}.g+0.5)] %[fx:int(255*p{$p}.b+0.5)]\n"
    done
    convert "$img" -format "$fmt" info:
}

# Waits up to SECS for the main window's client "x y w h" to show its first
# picture: the bottom-left corner holds the scene's background colour (0.2,
# 0.3, 0.1), not the black of a window not yet drawn.
e2e_wait_drawn() {
    local -a c
    read -r -a c <<<"$1"
    local secs=${2:-10} deadline=$((SECONDS + ${2:-10})) rgb
    while true; do
        e2e_shot "$E2E_TMP/drawn.ppm"
        rgb=$(e2e_pixels "$E2E_TMP/drawn.ppm" "$((c[0] + 3)),$((c[1] + c[3] - 4))")
        awk -v p="$rgb" 'BEGIN { split(p, v, " ")
            exit !(v[1] >= 47 && v[1] <= 55 && v[2] >= 72 && v[2] <= 80 && v[3] >= 22 && v[3] <= 30) }' && return 0
        ((SECONDS < deadline)) || fail "no picture in the window within ${secs}s (corner pixel $rgb)"
        sleep 0.2
    done
}

# --- pointer and keys ------------------------------------------------------------

# Drags with BUTTON (1 left, 3 right) from (X0, Y0) to (X1, Y1), screen
# coordinates, in STEPS moves a little apart, as a hand would.
e2e_drag() {
    local button=$1 x0=$2 y0=$3 x1=$4 y1=$5 steps=${6:-20} i
    x xdotool mousemove --sync "$x0" "$y0" || fail "pointer move failed"
    sleep 0.1
    x xdotool mousedown "$button"
    for ((i = 1; i <= steps; i++)); do
        x xdotool mousemove "$((x0 + (x1 - x0) * i / steps))" "$((y0 + (y1 - y0) * i / steps))"
        sleep 0.02
    done
    sleep 0.1
    x xdotool mouseup "$button"
}

# Clicks BUTTON at (X, Y), screen coordinates.
e2e_click() {
    x xdotool mousemove --sync "$2" "$3" || fail "pointer move failed"
    sleep 0.1
    x xdotool click "$1"
}
