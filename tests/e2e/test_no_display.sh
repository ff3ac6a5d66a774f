# Without a display to show the window on, the program says so in one line on
# stderr and exits 1: no window, no hang, no crash. Two ways to have none: no
# DISPLAY at all, and a DISPLAY naming an X server that is not there. A video
# driver asked for by name (SDL_VIDEODRIVER) that cannot start is named, with
# the reason, rather than the X display.
source "$(dirname "$0")/lib.sh"
prog=$1

# A display number with no server behind it.
free_display() {
    local n
    for ((n = 217; n < 400; n++)); do
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || { echo ":$n"; return; }
    done
}

# Runs the program without a usable display; CASE names the situation, WORD
# is what the line must speak of, the rest is the environment change given to
# env.
run_without_display() {
    local case=$1 word=$2
    shift 2
    env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$@" timeout -k 2 10 "$prog" \
        >"$E2E_TMP/prog.out" 2>"$E2E_TMP/prog.err"
    local status=$?
    [[ $status != 124 && $status != 137 ]] || fail "$case: still running after 10 s"
    [[ $status == 1 ]] || fail "$case: exit status $status, expected 1"
    local lines
    lines=$(wc -l <"$E2E_TMP/prog.err")
    [[ $lines == 1 ]] || fail "$case: stderr has $lines lines, expected 1: $(cat "$E2E_TMP/prog.err")"
    grep -qi "$word" "$E2E_TMP/prog.err" || fail "$case: the line does not speak of $word: $(cat "$E2E_TMP/prog.err")"
    [[ ! -s "$E2E_TMP/prog.out" ]] || fail "$case: stdout not empty: $(head -3 "$E2E_TMP/prog.out")"
    check "$case: exit status 1, nothing on stdout, one line on stderr: $(cat "$E2E_TMP/prog.err")"
}

run_without_display "DISPLAY unset" display -u DISPLAY
run_without_display "DISPLAY=$(free_display), where no server runs" display DISPLAY="$(free_display)"
run_without_display "SDL_VIDEODRIVER=wayland with no compositor" 'driver "wayland".*: .*wayland' \
    DISPLAY="$(free_display)" SDL_VIDEODRIVER=wayland XDG_RUNTIME_DIR="$E2E_TMP"
