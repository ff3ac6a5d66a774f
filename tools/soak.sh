#!/usr/bin/env bash
# soak.sh: runs quelvaro under Xvfb and openbox for MINUTES while xdotool and
# wmctrl do random things to it, as a restless person would: left and right
# drags released inside or outside the window, clicks on the panel, minimise
# and restore, maximise and back, sizes down to 1 x 1 and back, moves off the
# screen, panel moves. Every 10 s it samples the program's resident memory,
# open descriptors, threads, the X windows on the display and the frames drawn
# (bench/frame_counter, preloaded), prints them, and at the end says whether
# anything grew or the frames stopped. It passes or fails nothing, but exits 1
# when the program died.
#
#   tools/soak.sh [MINUTES] [BUILD_DIR]      (default: 5 minutes, build)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
minutes=${1:-5}
run_secs=$(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 }')
build="$(cd "${2:-$root/build}" 2>/dev/null && pwd)" || { echo "no build folder ${2:-$root/build}"; exit 2; }
source "$root/tests/e2e/lib.sh"

cmake --build "$build" -j 2 --target quelvaro frame_counter >"$E2E_TMP/build.log" 2>&1 ||
    { tail -20 "$E2E_TMP/build.log"; exit 1; }
SAMPLE_SECS=10
frame_file="$E2E_TMP/frames"

e2e_start_display 24
LD_PRELOAD="$build/bench/libframe_counter.so" QUELVARO_FRAME_FILE="$frame_file" e2e_start_program "$build/quelvaro"
main=$(e2e_wait_window "^${MAIN_TITLE}\$" 20) || fail "main window: $(e2e_window_list)"
panel=$(e2e_wait_window "^${PANEL_TITLE}\$" 10) || fail "panel: $(e2e_window_list)"
read -r _ _ full_w full_h <<<"$(e2e_frame_geometry "$main")"

rnd() { echo $((RANDOM % $1)); }

# A screen coordinate: V held on the screen of SIZE pixels.
on_screen() { local v=$1 size=$2; ((v < 0)) && v=0; ((v >= size)) && v=$((size - 1)); echo "$v"; }

# One random action; prints its name.
act() {
    local cx cy cw ch x0 y0 kind
    read -r cx cy cw ch <<<"$(e2e_client_geometry "$main")"
    ((cw < 2)) && cw=2
    ((ch < 2)) && ch=2
    x0=$(on_screen $((cx + $(rnd "$cw"))) "$E2E_SCREEN_W") y0=$(on_screen $((cy + $(rnd "$ch"))) "$E2E_SCREEN_H")
    case $(rnd 9) in
    0 | 1) # a drag with either button, released where it lands (maybe outside)
        local button=$((1 + 2 * $(rnd 2)))
        kind="drag$button"
        e2e_drag "$button" "$x0" "$y0" "$(on_screen $((x0 + $(rnd 1600) - 800)) "$E2E_SCREEN_W")" \
            "$(on_screen $((y0 + $(rnd 1200) - 600)) "$E2E_SCREEN_H")" $((2 + $(rnd 10))) ;;
    2) # a click on the panel, buttons or not
        kind=panel-click
        read -r cx cy cw ch <<<"$(e2e_client_geometry "$panel")"
        e2e_click 1 "$(on_screen $((cx + $(rnd "$cw"))) "$E2E_SCREEN_W")" \
            "$(on_screen $((cy + $(rnd "$ch"))) "$E2E_SCREEN_H")" ;;
    3) kind=minimise; x xdotool windowminimize "$main"; sleep 0.3; x wmctrl -i -a "$main" ;;
    4) kind=maximise; x wmctrl -i -r "$main" -b toggle,maximized_vert,maximized_horz ;;
    5) kind=resize; x xdotool windowsize "$main" $((1 + $(rnd 1200))) $((1 + $(rnd 1000))) ;;
    6) kind=1x1; x xdotool windowsize "$main" 1 1; sleep 0.2; x xdotool windowsize "$main" "$full_w" "$full_h" ;;
    7) kind=off-screen; x xdotool windowmove -- "$main" $(($(rnd 2000) - 1000)) $(($(rnd 1600) - 800))
       sleep 0.2; x xdotool windowmove "$main" 0 0 ;;
    8) kind=panel-move; x xdotool windowmove "$panel" $(rnd 1100) $(rnd 900) ;;
    esac >/dev/null 2>&1
    echo "$kind"
}

pid=$E2E_PROG_PID
status_field() { awk -v k="$1:" '$1 == k { print $2 }' "/proc/$pid/status"; }
frames() { od -An -t u8 -N 8 "$frame_file" 2>/dev/null | tr -d ' '; }
sample() {
    echo "$(status_field VmRSS) $(ls "/proc/$pid/fd" | wc -l) $(status_field Threads)" \
        "$(x xwininfo -root -tree | grep -c '^ *0x') $(frames)"
}

printf '%6s %9s %5s %7s %9s %8s %s\n' "time/s" "RSS/kB" "fds" "threads" "Xwindows" "frames" "actions since"
first=$(sample)
read -r rss0 fd0 th0 xw0 fr0 <<<"$first"
printf '%6d %9d %5d %7d %9d %8d\n' 0 "$rss0" "$fd0" "$th0" "$xw0" "$fr0"
samples=("$first")
start=$SECONDS
next=$((start + SAMPLE_SECS))
actions=0 total=0 stalls=0 last_frames=$fr0
declare -A kinds=()
while ((SECONDS - start < run_secs)); do
    kind=$(act)
    kinds[$kind]=$((${kinds[$kind]:-0} + 1))
    actions=$((actions + 1)) total=$((total + 1))
    e2e_program_running || fail "the program died after $total actions (last: $kind)"
    if ((SECONDS >= next)); then
        x wmctrl -i -a "$main" # frames are counted with the window in view
        sleep 0.5
        line=$(sample)
        read -r rss fd th xw fr <<<"$line"
        ((fr > last_frames)) || stalls=$((stalls + 1))
        last_frames=$fr
        printf '%6d %9d %5d %7d %9d %8d %d\n' $((SECONDS - start)) "$rss" "$fd" "$th" "$xw" "$fr" "$actions"
        samples+=("$line")
        actions=0
        next=$((next + SAMPLE_SECS))
    fi
done

# Growth is judged from the second half of the run against its first sample
# after the warm-up (the first minute), so that caches filling once do not count.
n=${#samples[@]}
read -r rssw fdw thw xww _ <<<"${samples[$((n > 6 ? 6 : 0))]}"
read -r rss fd th xw fr <<<"${samples[$((n - 1))]}"
echo "actions: $total ($(for k in "${!kinds[@]}"; do printf '%s %s, ' "$k" "${kinds[$k]}"; done))"
echo "resident memory: ${rss0} kB at start, ${rssw} kB after the warm-up, ${rss} kB at the end"
echo "descriptors: $fd0 -> $fd, threads: $th0 -> $th, X windows: $xw0 -> $xw, frames: $fr"
grew=""
((rss > rssw + rssw / 10)) && grew+=" memory"
((fd > fdw)) && grew+=" descriptors"
((th > thw)) && grew+=" threads"
((xw > xww)) && grew+=" X-windows"
echo "grew:${grew:- nothing}; sample intervals without a new frame: $stalls"
e2e_close "$main"
e2e_wait_exit 10 || fail "still running 10 s after the close request"
echo "closed: exit status $E2E_STATUS"
