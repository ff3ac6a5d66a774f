# The main window as a person first meets it: its title, its place and size on
# a 1280x1024 screen, a picture that moves, a quiet start, and a close through
# the window manager that ends the program with status 0.
source "$(dirname "$0")/lib.sh"
prog=$1

e2e_start_display 24
e2e_start_program "$prog"
wid=$(e2e_wait_window "^${MAIN_TITLE}\$" 15) || fail "main window: $(e2e_window_list)"

title=$(e2e_title "$wid")
[[ "$title" == "$MAIN_TITLE" ]] || fail "title [$title], expected [$MAIN_TITLE]"
check "title [$title]"

# The outer window (frame included) is 0.9 times the screen height, truncated,
# in both directions, with its top-left corner at the screen's.
side=$((E2E_SCREEN_H * 9 / 10))
read -r fx fy fw fh <<<"$(e2e_frame_geometry "$wid")"
[[ "$fx $fy" == "0 0" ]] || fail "frame at ($fx, $fy), expected (0, 0)"
[[ "$fw $fh" == "$side $side" ]] || fail "outer size ${fw}x${fh}, expected ${side}x${side}"
check "frame at (0, 0), outer size ${fw}x${fh}"
client=$(e2e_client_geometry "$wid")
read -r cx cy cw ch <<<"$client"
((cw < fw && ch < fh)) || fail "client ${cw}x${ch} not inside the frame ${fw}x${fh}"
note "client area $cw x $ch at ($cx, $cy)"

# The waves move inside the sheet (around the middle of the client area) while
# the corners, plain background, stay still: they are compared once the sheet
# has visibly moved on.
e2e_wait_drawn "$client" 10
e2e_shot "$E2E_TMP/a.png"
sheet="$((cx + cw / 2 - 60)) $((cy + ch / 2 - 60)) 120 120"
e2e_crop "$E2E_TMP/a.png" "$sheet" "$E2E_TMP/sheet_a.png"
deadline=$((SECONDS + 5))
while true; do
    e2e_shot "$E2E_TMP/b.png"
    e2e_crop "$E2E_TMP/b.png" "$sheet" "$E2E_TMP/sheet_b.png"
    moved=$(e2e_diff "$E2E_TMP/sheet_a.png" "$E2E_TMP/sheet_b.png")
    ((moved > 120 * 120 / 20)) && break
    e2e_program_running || fail "the program ended on its own"
    ((SECONDS < deadline)) || fail "only $moved of $((120 * 120)) pixels in the sheet changed in 5 s"
    sleep 0.1
done
check "the sheet changes: $moved of $((120 * 120)) pixels differ"

corner=24
for spot in "$cx $cy" "$((cx + cw - corner)) $cy" "$cx $((cy + ch - corner))" "$((cx + cw - corner)) $((cy + ch - corner))"; do
    for f in a b; do e2e_crop "$E2E_TMP/$f.png" "$spot $corner $corner" "$E2E_TMP/corner_$f.png"; done
    d=$(e2e_diff "$E2E_TMP/corner_a.png" "$E2E_TMP/corner_b.png")
    ((d == 0)) || fail "corner at ($spot) changed in $d pixels"
done
check "the four corners stay still"

e2e_close "$wid" || fail "wmctrl could not ask the window to close"
e2e_wait_exit 10 || fail "still running 10 s after the close request"
[[ "$E2E_STATUS" == 0 ]] || fail "exit status $E2E_STATUS after a close, expected 0"
check "closed through the window manager: exit status 0"

[[ ! -s "$E2E_TMP/prog.out" ]] || fail "stdout not empty: $(head -5 "$E2E_TMP/prog.out")"
[[ ! -s "$E2E_TMP/prog.err" ]] || fail "stderr not empty: $(head -5 "$E2E_TMP/prog.err")"
check "nothing printed on stdout or stderr"
