# Without any display the program says so in one line on stderr and exits 1:
# no window, no hang, no crash.
source "$(dirname "$0")/lib.sh"
prog=$1

env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout -k 2 10 "$prog" \
    >"$E2E_TMP/prog.out" 2>"$E2E_TMP/prog.err"
status=$?
[[ $status != 124 && $status != 137 ]] || fail "still running after 10 s without a display"
[[ $status == 1 ]] || fail "exit status $status, expected 1"
check "exit status 1 without a display"

lines=$(wc -l <"$E2E_TMP/prog.err")
[[ $lines == 1 ]] || fail "stderr has $lines lines, expected 1: $(cat "$E2E_TMP/prog.err")"
grep -qi 'display' "$E2E_TMP/prog.err" || fail "the line does not mention the display: $(cat "$E2E_TMP/prog.err")"
check "one line on stderr: $(cat "$E2E_TMP/prog.err")"

[[ ! -s "$E2E_TMP/prog.out" ]] || fail "stdout not empty: $(head -3 "$E2E_TMP/prog.out")"
check "nothing on stdout"
