# The X server goes away under the running program (killed, or the session
# ends): the program says so in one line naming the display, and ends with
# status 1 after destroying its windows as a close would (so a sanitizer
# build reports nothing).
source "$(dirname "$0")/lib.sh"
prog=$1

e2e_start_quelvaro "$prog"
sleep 0.5
display=$DISPLAY
kill -KILL "$E2E_XVFB_PID"
wait "$E2E_XVFB_PID" 2>/dev/null
E2E_XVFB_PID=""
e2e_wait_exit 10 || fail "still running 10 s after the display went away"
[[ "$E2E_STATUS" == 1 ]] || fail "exit status $E2E_STATUS after the display went away, expected 1"
lines=$(wc -l <"$E2E_TMP/prog.err")
[[ $lines == 1 ]] || fail "stderr has $lines lines, expected 1: $(cat "$E2E_TMP/prog.err")"
grep -q "display \"$display\"" "$E2E_TMP/prog.err" || fail "the line does not name $display: $(cat "$E2E_TMP/prog.err")"
check "the display killed: exit status 1, one line: $(cat "$E2E_TMP/prog.err")"
