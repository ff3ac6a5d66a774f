#!/usr/bin/env bash
# wine_perf.sh: the 64-bit Windows build under wine64 next to the native
# program, both under Xvfb at 1280x1024 with openbox, in their default windows,
# in the start state. It prints figures; it passes or fails nothing.
#
#   bench/wine_perf.sh [BUILD_DIR]   (default: build; ctest's windows.build64
#                                     leaves the executable in BUILD_DIR/windows64)
#
# Frames are counted the same way for both: Mesa's own frame-rate figure
# (GALLIUM_HUD=fps, dumped to a file, not drawn), since the frame counter of
# perf.sh sees only SDL's and GLX's swaps of a Linux program. CPU is the
# process's (every thread) from /proc over PERF_SECS; the wineserver's share
# is not counted. Start-up is the time from launch until the main window is on
# the screen with its title (polled every 0.1 s), the median of STARTS runs, in
# a prefix made beforehand (the first start in a new one takes much longer).
# QUELVARO_EXE names another Windows executable to measure instead.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" 2>/dev/null && pwd)" || { echo "no build folder ${1:-$root/build}"; exit 2; }
source "$root/tests/e2e/lib.sh"

exe="${QUELVARO_EXE:-$build/windows64/quelvaro.exe}"
native="$build/quelvaro"
WINE=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [[ -z "${QUELVARO_EXE:-}" ]]; then
    bash "$root/tools/build-windows.sh" "$build/windows64" x86_64 >"$E2E_TMP/build.log" 2>&1 ||
        { tail -20 "$E2E_TMP/build.log"; exit 1; }
fi
cmake --build "$build" -j 2 --target quelvaro >"$E2E_TMP/build.log" 2>&1 || { tail -20 "$E2E_TMP/build.log"; exit 1; }
e2e_stop_extra() { timeout 10 "$WINESERVER" -k >/dev/null 2>&1; }

MEASURE_SECS=${PERF_SECS:-10}
STARTS=${STARTS:-5}
SETTLE_SECS=3
HZ=$(getconf CLK_TCK)

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
hud_lines() { wc -l <"$1/fps" 2>/dev/null || echo 0; }

# Starts the program (the rest of the words are its command), waits for its
# main window; sets RUN_MS (launch to window) and RUN_HUD (the dump folder).
launch() {
    RUN_HUD=$(mktemp -d "$E2E_TMP/hud.XXXXXX")
    local t0
    t0=$(date +%s%N)
    GALLIUM_HUD=fps GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_DUMP_DIR="$RUN_HUD" e2e_start_program "$@"
    RUN_WID=$(e2e_wait_window "^${MAIN_TITLE}\$" 60) || fail "no main window"
    RUN_MS=$((($(date +%s%N) - t0) / 1000000))
}

finish() {
    e2e_close "$RUN_WID"
    e2e_wait_exit 20
    [[ "$E2E_STATUS" == 0 ]] || echo "  (the run ended with status $E2E_STATUS)"
}

# Prints "frames/s, CPU share of one core" of the running program over MEASURE_SECS.
measure() {
    local c0 c1 n0 t0 t1
    sleep "$SETTLE_SECS"
    n0=$(hud_lines "$RUN_HUD")
    c0=$(cpu_ticks "$E2E_PROG_PID")
    t0=$(date +%s%N)
    sleep "$MEASURE_SECS"
    c1=$(cpu_ticks "$E2E_PROG_PID")
    t1=$(date +%s%N)
    tail -n +"$((n0 + 1))" "$RUN_HUD/fps" | awk -v c=$((c1 - c0)) -v hz="$HZ" -v ns=$((t1 - t0)) '
        { sum += $1; n++ }
        END { printf "%.0f frames/s, %.1f %% of one core\n", n ? sum / n : 0, 100 * c / hz / (ns / 1e9) }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] " ms (" v[1] " to " v[NR] ")" }'; }

e2e_start_display 24
echo "quelvaro under wine64 and natively: Xvfb ${E2E_SCREEN_W}x${E2E_SCREEN_H}x24, openbox, $(nproc) cores," \
    "load average $(cut -d' ' -f1 /proc/loadavg) at the start"
# A new prefix is made by the first start; it is not counted.
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    timeout 120 "$WINE" wineboot --init >/dev/null 2>&1
    timeout 60 "$WINESERVER" -w
fi

launch "$WINE" "$exe"
echo "under wine64, spinning:  $(measure)"
finish
launch "$native"
echo "native, spinning:        $(measure)"
finish

for kind in wine native; do
    for ((i = 0; i < STARTS; i++)); do
        if [[ $kind == wine ]]; then launch "$WINE" "$exe"; else launch "$native"; fi
        echo "$RUN_MS"
        finish >/dev/null
    done | median | sed "s/^/start to the main window, $kind: /"
done
