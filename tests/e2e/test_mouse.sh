# The mouse, as a person uses it: a left drag turns the box (and it keeps
# turning while the button is held), the turning stops at release; a right
# drag moves the light marker the way the pointer went.
source "$(dirname "$0")/lib.sh"
prog=$1

e2e_start_watched "$prog"
read -r cx cy cw ch <<<"$client"

# Saves the main window's own pixels (the panel blacked out) as NAME.ppm and
# the wire box's pixels, white on black, as NAME_box.pgm.
view() {
    e2e_shot "$E2E_TMP/screen.ppm"
    e2e_view "$E2E_TMP/screen.ppm" "$client" "$E2E_TMP/$1.ppm" "$BOX_BLUE" 12% "$E2E_TMP/$1_box.pgm"
}
box_change() { e2e_diff "$E2E_TMP/$1_box.pgm" "$E2E_TMP/$2_box.pgm"; }

# --- right drag: the light marker ----------------------------------------------
# The marker is the only near-white thing in the window: its red channel
# saturates, while the sheet stays far below.
marker_at() {
    local box
    box=$(e2e_white_box "$E2E_TMP/$1.ppm" -channel R -separate +channel -threshold 85%)
    [[ -n "$box" ]] || fail "no light marker found in $1"
    echo "$box" | awk '{ printf "%d %d %d\n", $3 + $1 / 2, $4 + $2 / 2, $1 }'
}
view light1
read -r lx1 ly1 lsize <<<"$(marker_at light1)"
((lsize >= 8 && lsize <= 60)) || fail "the marker found is $lsize pixels wide: not a small sphere"
note "the marker is at ($lx1, $ly1), $lsize pixels wide"

# Twelve pixels right and three up move the light two units right and half a
# unit up: the marker travels far to the right and somewhat up.
# On a busy machine the program may take a moment to draw it.
e2e_drag 3 $((cx + cw / 4)) $((cy + ch * 3 / 4)) $((cx + cw / 4 + 12)) $((cy + ch * 3 / 4 - 3)) 6
deadline=$((SECONDS + 5))
while true; do
    sleep 0.3
    view light2
    read -r lx2 ly2 _ <<<"$(marker_at light2)"
    ((lx2 - lx1 > 100 && ly2 < ly1 - 10)) && break
    ((SECONDS < deadline)) || fail "after a right drag right and up the marker went from ($lx1, $ly1) to ($lx2, $ly2)"
done
check "a right drag moves the marker from ($lx1, $ly1) to ($lx2, $ly2)"

# --- left drag: the trackball ---------------------------------------------------
view before
[[ $(e2e_count_white "$E2E_TMP/before_box.pgm") -gt 1000 ]] || fail "no wire box found in the window"
# Only a later frame can show a box that turns by itself: wait until the waves
# have moved on.
deadline=$((SECONDS + 5))
while true; do
    sleep 0.2
    view before2
    moved=$(e2e_diff "$E2E_TMP/before.ppm" "$E2E_TMP/before2.ppm")
    ((moved > 0)) && break
    ((SECONDS < deadline)) || fail "the picture did not change in 5 s before any drag"
done
d=$(box_change before before2)
((d == 0)) || fail "the box moved by itself before any drag ($d pixels)"
check "before any drag the box stands still while the waves go on ($moved pixels of the picture changed)"

# Press in the lower left of the window, away from the panel, drag up and to
# the right, and hold the button still at the end.
x0=$((cx + cw / 4)) y0=$((cy + ch * 3 / 4)) x1=$((cx + cw / 2)) y1=$((cy + ch / 2))
x xdotool mousemove --sync "$x0" "$y0" || fail "pointer move failed"
sleep 0.1
x xdotool mousedown 1
for ((i = 1; i <= 20; i++)); do
    x xdotool mousemove $((x0 + (x1 - x0) * i / 20)) $((y0 + (y1 - y0) * i / 20))
    sleep 0.02
done
# Two new frames: the program has handled every move of the drag.
e2e_wait_new_frames "$client" 2
view held1
# A turn worth the name leaves few of the box's pixels where they were.
total=$(e2e_count_white "$E2E_TMP/before_box.pgm")
kept=$(e2e_count_common "$E2E_TMP/before_box.pgm" "$E2E_TMP/held1_box.pgm")
((kept * 4 < total)) || fail "after the drag $kept of the box's $total pixels are where they were"
check "a left drag turns the box (only $kept of its $total pixels stayed in place)"
# With the pointer held still, later frames show the box turned on.
deadline=$((SECONDS + 5))
while true; do
    e2e_wait_new_frames "$client" 2
    view held2
    d=$(box_change held1 held2)
    ((d > 100)) && break
    ((SECONDS < deadline)) || fail "with the button held still the box stopped turning ($d pixels changed in 5 s)"
done
x xdotool mouseup 1
check "while the button is held the box keeps turning ($d box pixels changed)"

# Once the program has seen the release (a busy machine may delay it a little),
# the box stands still; the waves go on.
# Each look comes two new frames after the one before it.
view released1
deadline=$((SECONDS + 5))
while true; do
    e2e_wait_new_frames "$client" 2
    view released2
    d=$(box_change released1 released2)
    ((d == 0)) && break
    ((SECONDS < deadline)) || fail "the box still turns 5 s after the release ($d pixels changed in two frames)"
    cp "$E2E_TMP/released2.ppm" "$E2E_TMP/released1.ppm"
    cp "$E2E_TMP/released2_box.pgm" "$E2E_TMP/released1_box.pgm"
done
e2e_wait_new_frames "$client" 5
view released3
d=$(box_change released2 released3)
((d == 0)) || fail "the box turned again after it had stopped ($d pixels changed in five frames)"
moved=$(e2e_diff "$E2E_TMP/released2.ppm" "$E2E_TMP/released3.ppm")
((moved > 0)) || fail "the picture froze after the release"
check "after the release the box stands still while the waves go on ($moved pixels of the picture changed)"

e2e_close "$main"
e2e_wait_exit 10 || fail "still running 10 s after the close request"
[[ "$E2E_STATUS" == 0 ]] || fail "exit status $E2E_STATUS after a close, expected 0"
check "closed: exit status 0"
