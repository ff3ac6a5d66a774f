# Minimising, restoring and reshaping the main window, as a person might: the
# program survives a client area of 0 x 0, draws again when restored, and a
# wide window widens the view without stretching the picture.
source "$(dirname "$0")/lib.sh"
prog=$1

# Prints "x y w" of the light marker (centre and width) in the main window,
# the only thing on screen whose red channel saturates. Fails when none is seen.
marker() {
    e2e_shot "$E2E_TMP/screen.ppm"
    e2e_view "$E2E_TMP/screen.ppm" "$1" "$E2E_TMP/view.ppm"
    local box
    box=$(e2e_white_box "$E2E_TMP/view.ppm" -channel R -separate +channel -threshold 85%)
    [[ -n "$box" ]] || fail "no light marker in the window"
    echo "$box" | awk '{ printf "%d %d %d %d\n", $3 + $1 / 2, $4 + $2 / 2, $1, $2 }'
}

# Two screenshots half a second apart differ inside the client area.
still_moving() {
    local c
    read -r -a c <<<"$1"
    local centre="$((c[0] + c[2] / 2 - 40)) $((c[1] + c[3] / 2 - 40)) 80 80"
    e2e_shot "$E2E_TMP/m1.ppm"
    sleep 0.5
    e2e_shot "$E2E_TMP/m2.ppm"
    e2e_crop "$E2E_TMP/m1.ppm" "$centre" "$E2E_TMP/c1.ppm"
    e2e_crop "$E2E_TMP/m2.ppm" "$centre" "$E2E_TMP/c2.ppm"
    (($(e2e_diff "$E2E_TMP/c1.ppm" "$E2E_TMP/c2.ppm") > 0))
}

e2e_start_watched "$prog"
read -r _ _ mw0 mh0 <<<"$(marker "$client")"
read -r _ _ cw0 ch0 <<<"$client"

# Minimised, the client area is 0 x 0; the program goes on and draws again
# once the window is back, at the size it had. Twice, since a size that
# drifts does so a little on every round.
for round in 1 2; do
    x xdotool windowminimize --sync "$main" || fail "the window manager did not minimise the window"
    sleep 1
    e2e_program_running || { e2e_wait_exit 1; fail "the program ended (status $E2E_STATUS) while minimised"; }
    x wmctrl -i -a "$main" || fail "the window manager did not restore the window"
    e2e_retry 10 eval 'x xwininfo -id "$main" | grep -q IsViewable' || fail "the window did not come back"
    client=$(e2e_settled_geometry "$main") || fail "the window keeps moving after the restore"
    read -r _ _ cw ch <<<"$client"
    [[ "$cw $ch" == "$cw0 $ch0" ]] || fail "restored ($round): the client area is ${cw}x$ch, it was ${cw0}x$ch0"
    e2e_wait_drawn "$client" 10
    still_moving "$client" || fail "the picture stands still after the window was restored"
    check "minimised and restored ($round): still running, ${cw}x$ch as before, the waves move again"
done

# Wide: half the height, the same width. The view keeps its vertical extent,
# so everything shrinks with the height and stays round.
x xdotool windowsize --sync "$main" "$cw0" $((ch0 / 2)) || fail "the window could not be resized"
e2e_retry 10 eval '[[ "$(e2e_client_geometry "$main" | cut -d" " -f4)" == $((ch0 / 2)) ]]' ||
    fail "the client area is $(e2e_client_geometry "$main"), expected ${cw0}x$((ch0 / 2))"
client=$(e2e_client_geometry "$main")
read -r _ _ cw ch <<<"$client"
# Two new frames: the program has seen the new size and drawn with it.
e2e_wait_new_frames "$client" 2
read -r _ _ mw mh <<<"$(marker "$client")"
awk -v w="$mw" -v h="$mh" 'BEGIN { exit !(w >= 0.75 * h && w <= 1.33 * h) }' ||
    fail "in a ${cw}x${ch} window the marker is ${mw}x${mh}: stretched"
awk -v a="$mh" -v b="$mh0" -v r="$ch" -v s="$ch0" 'BEGIN { k = (a / r) / (b / s); exit !(k > 0.7 && k < 1.4) }' ||
    fail "the marker is $mh pixels high in a $ch-pixel-high window, $mh0 in a $ch0-pixel-high one"
still_moving "$client" || fail "the picture stands still after the resize"
check "resized to ${cw}x${ch}: the marker is ${mw}x${mh} (it was ${mw0}x${mh0}), round and scaled with the height"

e2e_close "$main"
e2e_wait_exit 10 || fail "still running 10 s after the close request"
[[ "$E2E_STATUS" == 0 ]] || fail "exit status $E2E_STATUS after a close, expected 0"
check "closed: exit status 0"
