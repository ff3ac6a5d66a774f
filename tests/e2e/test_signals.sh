# SIGTERM (as a session's end sends) and SIGINT (Ctrl+C in a terminal) ask the
# program to close, as the window manager's close box does: it ends promptly
# and cleanly, with status 0, with SDL's signal handlers or without them.
# Wherever the program is waiting it still ends: while the display is being
# opened (an X authority file that never ends), at once with status 1; with
# the "Error" box up (a display without OpenGL) at once with status 1, the
# start having failed, and the box goes with it, as it does when the box is
# killed or the X server goes; inside an X call on a stalled server (a stopped
# Xvfb) a few seconds later, with status 1.
source "$(dirname "$0")/lib.sh"
prog=$1

# True while a window captioned "Error" is on the display. (grep reads the
# whole tree: with -q it could stop early and fail the pipe.)
error_box_up() { x xwininfo -root -tree 2>/dev/null | grep '"Error":' >/dev/null; }

# True while the program has FILE open.
has_open() { ls -l "/proc/$E2E_PROG_PID/fd" 2>/dev/null | grep -q " -> $1\$"; }

e2e_start_display 24
# signal, then the environment the program runs in
for row in "TERM" "INT" "TERM SDL_NO_SIGNAL_HANDLERS=1" "INT SDL_NO_SIGNAL_HANDLERS=1"; do
    read -r signal environment <<<"$row"
    env $environment env --default-signal=INT,QUIT "$prog" >"$E2E_TMP/prog.out" 2>"$E2E_TMP/prog.err" &
    E2E_PROG_PID=$!
    e2e_wait_window "^${MAIN_TITLE}\$" 15 >/dev/null || fail "main window: $(e2e_window_list)"
    sleep 0.5
    kill -s "$signal" "$E2E_PROG_PID"
    e2e_wait_exit 10 || fail "SIG$signal $environment: still running 10 s later"
    [[ "$E2E_STATUS" == 0 ]] || fail "SIG$signal $environment: exit status $E2E_STATUS, expected 0 (a close request)"
    ! grep -q "did not close" "$E2E_TMP/prog.err" || fail "SIG$signal $environment: ended by the deadline"
    check "SIG$signal $environment closes the program: exit status 0"
done

# Started with its standard streams closed (as some launchers do), the program
# gives /dev/null their numbers: the X connection must not take one and get
# the libraries' messages written into it.
env LIBGL_DEBUG=verbose "$prog" <&- >&- 2>&- &
E2E_PROG_PID=$!
e2e_wait_window "^${MAIN_TITLE}\$" 15 >/dev/null || fail "streams closed: no main window: $(e2e_window_list)"
for fd in 0 1 2; do
    [[ $(readlink "/proc/$E2E_PROG_PID/fd/$fd") == /dev/null ]] ||
        fail "streams closed: descriptor $fd is $(readlink "/proc/$E2E_PROG_PID/fd/$fd")"
done
kill -TERM "$E2E_PROG_PID"
e2e_wait_exit 10 && [[ "$E2E_STATUS" == 0 ]] || fail "streams closed: exit status $E2E_STATUS, expected 0"
check "started with stdin, stdout and stderr closed: they are /dev/null, the window shows, SIGTERM closes it"

# The X library reads an endless authority file for ever while it opens the
# display: a signal then ends the start.
for signal in TERM INT; do
    XAUTHORITY=/dev/zero e2e_start_program "$prog"
    e2e_retry 10 has_open /dev/zero || fail "SIG$signal while opening the display: /dev/zero never read"
    kill -s "$signal" "$E2E_PROG_PID"
    e2e_wait_exit 5 || fail "SIG$signal while opening the display: still running 5 s later"
    [[ "$E2E_STATUS" == 1 ]] || fail "SIG$signal while opening the display: exit status $E2E_STATUS, expected 1"
    check "SIG$signal while the display is being opened ends the program: exit status 1"
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

# The box's window id.
error_box_id() { x xwininfo -root -tree 2>/dev/null | awk '$2 == "\"Error\":" { print $1 }'; }

e2e_start_display 8
# What happens with the box up: a signal to the program; Ctrl+C in a terminal
# (SIGINT to the program and the box's own process); the box killed (xkill);
# the X server gone (last: it takes the display).
for what in TERM INT ctrl-c xkill server-gone; do
    e2e_start_program "$prog"
    e2e_retry 15 error_box_up || fail "no window captioned \"Error\" within 15 s; windows: $(e2e_window_list)"
    case $what in
    ctrl-c) kill -s INT $(pgrep -P "$E2E_PROG_PID") "$E2E_PROG_PID" ;;
    xkill) x xkill -id "$(error_box_id)" >/dev/null ;;
    server-gone) e2e_stop_pid "$E2E_XVFB_PID" ;;
    *) kill -s "$what" "$E2E_PROG_PID" ;;
    esac
    e2e_wait_exit 5 || fail "$what with the error box up: still running 5 s later"
    [[ "$E2E_STATUS" == 1 ]] || fail "$what with the error box up: exit status $E2E_STATUS, expected 1"
    [[ $what == server-gone ]] || e2e_retry 3 eval '! error_box_up' || fail "$what with the error box up: the box stayed"
    # The line is the program's alone (with Ctrl+C the box's process may go
    # first, and the program ends as the box failed).
    lines=$(grep -c "message box was up" "$E2E_TMP/prog.err")
    case $what in
    TERM | INT) [[ $lines == 1 ]] ;;
    ctrl-c) ((lines <= 1)) ;;
    esac || fail "$what: the message box's line came $lines times"
    check "$what with the error box up: exit status 1, the box gone"
done
