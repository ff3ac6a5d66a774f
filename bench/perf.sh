#!/usr/bin/env bash
# perf.sh: quelvaro's performance figures, measured the way a person would run
# it: under Xvfb at 1280x1024 with openbox, the default window, next to
# bare_sdl_gl, a plain SDL2 + GL program drawing the same GL work in a window of
# the same client size. It prints figures; it passes or fails nothing.
#
#   bench/perf.sh [BUILD_DIR]     (default: build; the targets are built first)
#
# Frames are counted by bench/frame_counter, preloaded into both programs; it
# also switches fog, wireframe or blending on in the real program from outside
# (those switches sit behind hidden panel buttons). Figures:
#  - frames per second and CPU share of one core while spinning (the start
#    state) and after a click (timer-paced), and whether spinning stays at or
#    below the display rate (Xvfb reports none: 60 Hz); the X server's own
#    share while it shows the spinning frames;
#  - CPU milliseconds per frame, default scene, fog, wireframe, blending, for
#    quelvaro and for the bare program, and their ratio; the bare program once
#    more with glibc's malloc thresholds raised (GLIBC_TUNABLES), which shows
#    what keeping Mesa's per-frame buffers instead of returning them is worth;
#    minor page faults per frame tell whether memory goes back and forth;
#  - peak memory (VmHWM) of quelvaro, of the bare program drawing the scene and
#    of a bare SDL+GL window that only clears;
#  - time from start to the first frame on screen (median of STARTS runs).
# It takes about two minutes; PERF_SECS sets the length of each measurement.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" 2>/dev/null && pwd)" || { echo "no build folder ${1:-$root/build}"; exit 2; }
source "$root/tests/e2e/lib.sh"

cmake --build "$build" -j 2 --target quelvaro bare_sdl_gl frame_counter >"$E2E_TMP/build.log" 2>&1 ||
    { tail -20 "$E2E_TMP/build.log"; exit 1; }
quelvaro="$build/quelvaro"
bare="$build/bench/bare_sdl_gl"
shim="$build/bench/libframe_counter.so"
scene_symbol=$(nm "$quelvaro" | awk '$3 == "scene" { print $1 }')
[[ -n "$scene_symbol" ]] || { echo "no symbol 'scene' in $quelvaro"; exit 1; }

MEASURE_SECS=${PERF_SECS:-4}
STARTS=5
SETTLE_SECS=1
DISPLAY_HZ=60
TUNED_MALLOC="glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=268435456"

# "frames firstNs lastNs cpuNs" from the counter file.
counter() { od -An -t u8 -v "$1" 2>/dev/null | tr -s ' \n' ' ' | sed 's/^ //'; }

# Minor page faults of the running program so far.
page_faults() { awk '{ print $10 }' "/proc/$E2E_PROG_PID/stat"; }

# Samples the counter over MEASURE_SECS and prints "fps cpu_share_percent
# cpu_ms_per_frame page_faults_per_frame".
measure_interval() {
    local file=$1 a b fa fb
    a=($(counter "$file"))
    fa=$(page_faults)
    sleep "$MEASURE_SECS"
    b=($(counter "$file"))
    fb=$(page_faults)
    awk -v f0="${a[0]}" -v t0="${a[2]}" -v c0="${a[3]}" -v f1="${b[0]}" -v t1="${b[2]}" -v c1="${b[3]}" \
        -v pf="$((fb - fa))" 'BEGIN {
        frames = f1 - f0; wall = (t1 - t0) / 1e9; cpu = (c1 - c0) / 1e9
        if (frames <= 0 || wall <= 0) { print "0 0 0 0"; exit }
        printf "%.1f %.1f %.2f %.1f\n", frames / wall, 100 * cpu / wall, 1000 * cpu / frames, pf / frames }'
}

# Starts PROGRAM (with the frame counter preloaded and the extra environment
# given as NAME=VALUE words before it), waits for its window titled TITLE and
# its first frame. Sets RUN_FILE, RUN_WID, RUN_START_MS.
launch() {
    local title=$1
    shift
    local -a envs=()
    while [[ "$1" == *=* ]]; do envs+=("$1"); shift; done
    RUN_FILE=$(mktemp "$E2E_TMP/frames.XXXXXX")
    local t0
    t0=$(date +%s%N)
    [[ -x "$1" ]] || fail "no program at $1"
    env LD_PRELOAD="$shim" QUELVARO_FRAME_FILE="$RUN_FILE" QUELVARO_SCENE_SYMBOL="$scene_symbol" "${envs[@]}" \
        "$@" >"$E2E_TMP/prog.out" 2>"$E2E_TMP/prog.err" &
    E2E_PROG_PID=$!
    RUN_WID=$(e2e_wait_window "$title" 15) || fail "no window titled /$title/"
    e2e_retry 10 eval '[[ "$(counter "$RUN_FILE" | cut -d" " -f1)" -gt 0 ]]' || fail "no frame drawn"
    local first
    first=$(counter "$RUN_FILE" | cut -d' ' -f2)
    RUN_START_MS=$(awk -v a="$t0" -v b="$first" 'BEGIN { printf "%.0f", (b - a) / 1e6 }')
    sleep "$SETTLE_SECS"
}

peak_memory_mb() { awk '/^VmHWM:/ { printf "%.1f", $2 / 1024 }' "/proc/$E2E_PROG_PID/status"; }

# Closes the program through the window manager and reports a bad ending.
finish() {
    e2e_close "$RUN_WID"
    e2e_wait_exit 10
    [[ "$E2E_STATUS" == 0 ]] || echo "  (the run ended with status $E2E_STATUS)"
}

e2e_start_display 24
echo "quelvaro performance: Xvfb ${E2E_SCREEN_W}x${E2E_SCREEN_H}x24, openbox, $(nproc) cores"
echo

# --- the real program: start, spin, click -----------------------------------
launch '^ QUELVARO  by Ostrevan$' "$quelvaro"
start_ms=$RUN_START_MS
read -r cx cy cw ch <<<"$(e2e_client_geometry "$RUN_WID")"
xvfb_ticks() { awk '{ print $14 + $15 }' "/proc/$E2E_XVFB_PID/stat"; }
x0=$(xvfb_ticks) t0=$(date +%s%N)
read -r spin_fps spin_cpu spin_ms spin_faults <<<"$(measure_interval "$RUN_FILE")"
x1=$(xvfb_ticks) t1=$(date +%s%N)
spin_xvfb=$(awk -v d=$((x1 - x0)) -v hz="$(getconf CLK_TCK)" -v ns=$((t1 - t0)) 'BEGIN { printf "%.1f", 100 * d / hz / (ns / 1e9) }')
# A click without motion stops the continuous drawing: frames follow the 80 ms timer.
e2e_click 1 $((cx + cw / 8)) $((cy + ch * 7 / 8))
sleep "$SETTLE_SECS"
read -r tick_fps tick_cpu tick_ms _ <<<"$(measure_interval "$RUN_FILE")"
real_hwm=$(peak_memory_mb)
finish

echo "quelvaro, default window (client ${cw}x${ch}):"
printf '  spinning (start state)           %6.1f fps, %5.1f%% of a core, %.2f ms CPU a frame' "$spin_fps" "$spin_cpu" "$spin_ms"
awk -v f="$spin_fps" -v hz="$DISPLAY_HZ" 'BEGIN { printf " (display rate %d Hz: %s)\n", hz, (f <= hz * 1.02 ? "not exceeded" : "EXCEEDED") }'
printf '  X server (Xvfb) while spinning   %5.1f%% of a core, showing the frames\n' "$spin_xvfb"
printf '  after a click (timer-paced)      %6.1f fps, %5.1f%% of a core\n' "$tick_fps" "$tick_cpu"
echo

# --- CPU per frame, scene by scene ------------------------------------------
declare -A cost faults
scenes=(default fog wireframe blend)
scene_set() {
    case $1 in
    default) echo "" ;; fog) echo "fogOn=1" ;; wireframe) echo "wireframeOn=1" ;; blend) echo "blendOn=1" ;;
    esac
}
bare_flag() { [[ $1 == default ]] || echo "--$1"; }

for s in "${scenes[@]}"; do
    if [[ $s == default ]]; then
        cost[real,$s]=$spin_ms faults[real,$s]=$spin_faults
    else
        launch '^ QUELVARO  by Ostrevan$' QUELVARO_SCENE_SET="$(scene_set "$s")" "$quelvaro"
        read -r _ _ "cost[real,$s]" "faults[real,$s]" <<<"$(measure_interval "$RUN_FILE")"
        finish
    fi
    launch '^bare SDL GL$' "$bare" --size "${cw}x${ch}" $(bare_flag "$s")
    read -r _ _ "cost[bare,$s]" "faults[bare,$s]" <<<"$(measure_interval "$RUN_FILE")"
    [[ $s == default ]] && bare_hwm=$(peak_memory_mb)
    finish
    launch '^bare SDL GL$' GLIBC_TUNABLES="$TUNED_MALLOC" "$bare" --size "${cw}x${ch}" $(bare_flag "$s")
    read -r _ _ "cost[tuned,$s]" "faults[tuned,$s]" <<<"$(measure_interval "$RUN_FILE")"
    [[ $s == default ]] && tuned_hwm=$(peak_memory_mb)
    finish
done

echo "CPU per frame while spinning, ms (all threads), and minor page faults per frame:"
printf '  %-10s %15s %15s %7s %19s\n' scene quelvaro bare ratio "bare, malloc kept"
for s in "${scenes[@]}"; do
    awk -v s="$s" -v q="${cost[real,$s]}" -v b="${cost[bare,$s]}" -v t="${cost[tuned,$s]}" \
        -v qf="${faults[real,$s]}" -v bf="${faults[bare,$s]}" -v tf="${faults[tuned,$s]}" \
        'BEGIN { printf "  %-10s %6.2f (%5.1f) %6.2f (%5.1f) %7.2f %10.2f (%5.1f)\n", s, q, qf, b, bf, (b > 0 ? q / b : 0), t, tf }'
done
echo

# --- start-up and peak memory ---------------------------------------------------
real_starts="$start_ms" scene_starts="" window_starts=""
for ((i = 1; i < STARTS; i++)); do
    launch '^ QUELVARO  by Ostrevan$' "$quelvaro"
    real_starts+=" $RUN_START_MS"
    finish
done
for ((i = 0; i < STARTS; i++)); do
    launch '^bare SDL GL$' "$bare" --size "${cw}x${ch}"
    scene_starts+=" $RUN_START_MS"
    finish
    launch '^bare SDL GL$' "$bare" --size "${cw}x${ch}" --clear-only
    window_starts+=" $RUN_START_MS"
    window_hwm=$(peak_memory_mb)
    finish
done
# "median (min-max)" of a list of numbers.
spread() { printf '%s\n' $1 | sort -n | awk '{ v[NR] = $1 } END { printf "%d ms (%d to %d)", v[int((NR + 1) / 2)], v[1], v[NR] }'; }
echo "Start to the first frame on screen, median of $STARTS starts (range):"
echo "  quelvaro                         $(spread "$real_starts")"
echo "  bare program drawing the scene   $(spread "$scene_starts")"
echo "  bare SDL+GL window, clear only   $(spread "$window_starts")"
echo
echo "Peak memory (VmHWM):"
printf '  quelvaro                         %6.1f MB\n' "$real_hwm"
printf '  bare program drawing the scene   %6.1f MB (ratio %.2f)\n' "$bare_hwm" "$(awk -v a="$real_hwm" -v b="$bare_hwm" 'BEGIN { print a / b }')"
printf '  bare, glibc keeping freed memory %6.1f MB (ratio %.2f)\n' "$tuned_hwm" "$(awk -v a="$real_hwm" -v b="$tuned_hwm" 'BEGIN { print a / b }')"
printf '  bare SDL+GL window, clear only   %6.1f MB (ratio %.2f)\n' "$window_hwm" "$(awk -v a="$real_hwm" -v b="$window_hwm" 'BEGIN { print a / b }')"
