# SIGTERM (as a session's end sends) and SIGINT (Ctrl+C in a terminal) ask the
# program to close, as the window manager's close box does: it ends promptly
# and cleanly, with status 0. Wherever the program is waiting it still ends:
# with the "Error" box up (a display without OpenGL) at once with status 1,
# the start having failed, and the box goes with it; inside an X call on a
# stalled server (a stopped Xvfb) a few seconds later, with status 1.
source "$(dirname "$0")/lib.sh"
prog=$1

# True while a window captioned "Error" is on the display. (grep reads the
# whole tree: with -q it could stop early and fail the pipe.)
error_box_up() { x xwininfo -root -tree 2>/dev/null | grep '"Error":' >/dev/null; }

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

# A second signal before the first has closed the program ends it at once.
# Both come while it is stopped, so the second is handled before the close.
e2e_start_program "$prog"
e2e_wait_window "^${MAIN_TITLE}\$" 15 >/dev/null || fail "main window: $(e2e_window_list)"
kill -STOP "$E2E_PROG_PID"
kill -TERM "$E2E_PROG_PID"
kill -INT "$E2E_PROG_PID"
kill -CONT "$E2E_PROG_PID"
e2e_wait_exit 10 || fail "two signals: still running 10 s later"
[[ "$E2E_STATUS" == 1 ]] || fail "two signals: exit status $E2E_STATUS, expected 1"
grep -q 'interrupted again; ending at once' "$E2E_TMP/prog.err" || fail "two signals: no line saying so on stderr"
check "a second signal ends the program at once: exit status 1, $(cat "$E2E_TMP/prog.err")"

for signal in TERM INT; do
    e2e_start_program "$prog"
    e2e_wait_window '^ QUELVARO  by Ostrevan$' 15 >/dev/null || fail "main window: $(e2e_window_list)"
    sleep 0.5
    kill -STOP "$E2E_XVFB_PID"
    sleep 0.5
    kill -s "$signal" "$E2E_PROG_PID"
    e2e_wait_exit 8
    kill -CONT "$E2E_XVFB_PID"
    [[ "$E2E_STATUS" == 1 ]] || fail "SIG$signal on a stalled display: status $E2E_STATUS, expected 1 within 8 s"
    check "SIG$signal with the display stalled ends the program: exit status 1"
done
e2e_stop_pid "$E2E_WM_PID"
e2e_stop_pid "$E2E_XVFB_PID"

e2e_start_display 8
for signal in TERM INT; do
    e2e_start_program "$prog"
    e2e_retry 15 error_box_up || fail "no window captioned \"Error\" within 15 s; windows: $(e2e_window_list)"
    kill -s "$signal" "$E2E_PROG_PID"
    e2e_wait_exit 5 || fail "SIG$signal with the error box up: still running 5 s later"
    [[ "$E2E_STATUS" == 1 ]] || fail "SIG$signal with the error box up: exit status $E2E_STATUS, expected 1"
    e2e_retry 3 eval '! error_box_up' || fail "SIG$signal with the error box up: the box stayed"
    check "SIG$signal with the error box up: exit status 1, the box gone"
done
