# A drag whose button-up never reaches the program: the window is minimised
# with the button held, the button is released while it is away, and the
# window is restored. The drag is over: the bare pointer neither turns the
# box (left button) nor moves the light (right button).
source "$(dirname "$0")/lib.sh"
prog=$1

e2e_start_watched "$prog"
read -r cx cy cw ch <<<"$client"

# Saves the wire box's pixels, white on black, as NAME_box.pgm, and the
# marker's (the only pixels whose red channel saturates) as NAME_light.pgm.
view() {
    e2e_shot "$E2E_TMP/screen.ppm"
    e2e_view "$E2E_TMP/screen.ppm" "$client" "$E2E_TMP/$1.ppm" "$BOX_BLUE" 12% "$E2E_TMP/$1_box.pgm"
    convert "$E2E_TMP/$1.ppm" -channel R -separate +channel -threshold 85% "$E2E_TMP/$1_light.pgm"
}

# Presses BUTTON in the lower left, drags a little, minimises the window with
# the button held, releases it, restores the window and waits for its picture.
drag_then_minimise() {
    local button=$1 x0=$((cx + cw / 4)) y0=$((cy + ch * 3 / 4)) i
    x xdotool mousemove --sync "$x0" "$y0" || fail "pointer move failed"
    sleep 0.1
    x xdotool mousedown "$button"
    for ((i = 1; i <= 5; i++)); do
        x xdotool mousemove $((x0 + 8 * i)) $((y0 - 4 * i))
        sleep 0.05
    done
    x xdotool windowminimize --sync "$main" || fail "the window manager did not minimise the window"
    sleep 0.3
    x xdotool mouseup "$button"
    sleep 0.3
    x wmctrl -i -a "$main" || fail "the window manager did not restore the window"
    client=$(e2e_settled_geometry "$main") || fail "the window keeps moving after the restore"
    e2e_wait_drawn "$client" 10
}

# Moves the bare pointer across the window and back, then checks that the
# pixels of KIND (box or light) stayed where they were. Each look comes two new
# frames after what it follows: the program has handled the restore, and then
# every move of the pointer.
check_still_under_bare_pointer() {
    local kind=$1 what=$2 i d
    e2e_wait_new_frames "$client" 2
    view before
    for ((i = 1; i <= 10; i++)); do
        x xdotool mousemove $((cx + cw / 4 + 30 * i)) $((cy + ch * 3 / 4 - 20 * i))
        sleep 0.05
    done
    e2e_wait_new_frames "$client" 2
    view after
    d=$(e2e_diff "$E2E_TMP/before_$kind.pgm" "$E2E_TMP/after_$kind.pgm")
    ((d == 0)) || fail "after the lost button-up the bare pointer moved the $what ($d pixels changed)"
    check "button $3 released while minimised: the bare pointer leaves the $what alone"
}

drag_then_minimise 1
check_still_under_bare_pointer box "wire box" left
drag_then_minimise 3
check_still_under_bare_pointer light "light marker" right

# Drags go on working as before: the first press after the lost button-ups
# turns the box, although SDL still counts both buttons as held.
view before
e2e_drag 1 $((cx + cw / 4)) $((cy + ch * 3 / 4)) $((cx + cw / 2)) $((cy + ch / 2)) 10
sleep 0.5
view after
d=$(e2e_diff "$E2E_TMP/before_box.pgm" "$E2E_TMP/after_box.pgm")
((d > 100)) || fail "a left drag after the lost button-ups did not turn the box ($d pixels changed)"
check "a left drag afterwards turns the box again ($d box pixels changed)"
