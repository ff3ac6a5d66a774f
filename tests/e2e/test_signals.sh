# SIGTERM (as a session's end sends) and SIGINT (Ctrl+C in a terminal) ask the
# program to close, as the window manager's close box does: it ends promptly
# and cleanly, with status 0.
source "$(dirname "$0")/lib.sh"
prog=$1

e2e_start_display 24
for signal in TERM INT; do
    e2e_start_program "$prog"
    e2e_wait_window "^${MAIN_TITLE}\$" 15 >/dev/null || fail "main window: $(e2e_window_list)"
    sleep 0.5
    kill -s "$signal" "$E2E_PROG_PID"
    e2e_wait_exit 10 || fail "SIG$signal: still running 10 s later"
    [[ "$E2E_STATUS" == 0 ]] || fail "SIG$signal: exit status $E2E_STATUS, expected 0 (a close request)"
    check "SIG$signal closes the program: exit status 0"
done
