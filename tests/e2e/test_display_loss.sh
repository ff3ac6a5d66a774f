# The X server goes away under the running program (killed, or the session
# ends): the program says so in one line naming the display, and ends with
# status 1 after destroying its windows as a close would. Given the
# sanitizer-built program as well (ctest passes it when there is a sanitizer
# tree), the same again with it: a leak or a fault report is a second line,
# or another status.
source "$(dirname "$0")/lib.sh"
supp=$(cd "$(dirname "$0")/.." && pwd)/sanitizer.supp

# Runs PROGRAM, kills the display once the first picture is up, and checks how
# the program ends; LABEL names the build in the report, and every wait gets
# SECS (the sanitizer build starts and ends slowly on a busy machine).
display_loss() {
    local prog=$1 label=$2 secs=$3 display main
    e2e_start_display 24
    e2e_start_program "$prog"
    main=$(e2e_wait_window "^${MAIN_TITLE}\$" "$secs") || fail "$label: main window: $(e2e_window_list)"
    e2e_wait_drawn "$(e2e_client_geometry "$main")" "$secs"
    display=$DISPLAY
    kill -KILL "$E2E_XVFB_PID"
    wait "$E2E_XVFB_PID" 2>/dev/null
    E2E_XVFB_PID=""
    e2e_stop_pid "$E2E_WM_PID"
    E2E_WM_PID=""
    e2e_wait_exit "$secs" || fail "$label: still running $secs s after the display went away"
    [[ "$E2E_STATUS" == 1 ]] || fail "$label: exit status $E2E_STATUS after the display went away, expected 1"
    lines=$(wc -l <"$E2E_TMP/prog.err")
    [[ $lines == 1 ]] || fail "$label: stderr has $lines lines, expected 1"
    grep -q "display \"$display\"" "$E2E_TMP/prog.err" || fail "$label: the line does not name $display"
    check "$label: the display killed: exit status 1, one line: $(cat "$E2E_TMP/prog.err")"
}

display_loss "$1" "plain build" 15
if [[ $# -ge 2 ]]; then
    [[ -x "$2" ]] || fail "no sanitizer-built program at $2"
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$supp:print_suppressions=0 UBSAN_OPTIONS=print_stacktrace=1 \
        display_loss "$2" "sanitizer build" 60
fi
