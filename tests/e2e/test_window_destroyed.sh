# Another client destroys one of the program's windows (xdotool windowclose,
# as a session tool or a crashed window manager may): the program takes it as
# that window's destruction, as Windows does when a window goes. Without its
# panel the scene goes on; without its main window the program ends as a
# close ends it, with status 0 and nothing on stderr.
source "$(dirname "$0")/lib.sh"
prog=$1

e2e_start_watched "$prog"
x xdotool windowclose "$panel" || fail "xdotool could not destroy the panel"
e2e_retry 5 eval '! x xwininfo -root -tree | grep -q "\"$PANEL_TITLE\""' || fail "the panel is still there"
e2e_wait_new_frames "$client" 3
e2e_program_running || fail "the program ended when its panel was destroyed"
check "the panel destroyed by another client: the scene goes on"

x xdotool windowclose "$main" || fail "xdotool could not destroy the main window"
e2e_wait_exit 10 || fail "still running 10 s after its main window was destroyed"
[[ "$E2E_STATUS" == 0 ]] || fail "exit status $E2E_STATUS after the main window was destroyed, expected 0"
[[ ! -s "$E2E_TMP/prog.err" ]] || fail "stderr not empty: $(head -5 "$E2E_TMP/prog.err")"
check "the main window destroyed by another client: exit status 0, nothing on stderr"
