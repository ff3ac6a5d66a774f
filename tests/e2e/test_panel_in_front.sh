# The panel is owned by the main window, and an owned window stays in front of
# its owner: a person who clicks on the main window to turn the scene still
# sees the panel, instead of having it vanish behind the window it belongs to.
source "$(dirname "$0")/lib.sh"
prog=$1

e2e_start_quelvaro "$prog"
client=$(e2e_client_geometry "$main")
read -r cx cy cw ch <<<"$client"
panel_area=$(e2e_client_geometry "$panel")
e2e_wait_drawn "$client" 10

# The panel's face never changes by itself, so its pixels on the screen stay
# the same as long as nothing covers it. The first click on the main window
# takes the focus from the panel, whose button then draws no focus rectangle
# (as on Windows): the picture to keep is the one after it, once the window
# manager made the main window active and the program drew twice since.
e2e_click 1 "$((cx + cw / 2))" "$((cy + ch / 5))"
e2e_wait_active "$main"
e2e_wait_new_frames "$client" 2
e2e_shot "$E2E_TMP/before.ppm"
e2e_crop "$E2E_TMP/before.ppm" "$panel_area" "$E2E_TMP/panel_before.ppm"
for spot in "$((cx + cw / 5)) $((cy + ch * 4 / 5))" "$((cx + cw / 2)) $((cy + ch / 2))"; do
    read -r x0 y0 <<<"$spot"
    e2e_click 1 "$x0" "$y0"
    # The click has been handled once the window manager made the main window
    # active and the program drew twice since.
    e2e_wait_active "$main"
    e2e_wait_new_frames "$client" 2
    e2e_shot "$E2E_TMP/after.ppm"
    e2e_crop "$E2E_TMP/after.ppm" "$panel_area" "$E2E_TMP/panel_after.ppm"
    d=$(e2e_diff "$E2E_TMP/panel_before.ppm" "$E2E_TMP/panel_after.ppm")
    ((d == 0)) || fail "after a click on the main window at ($x0, $y0), $d pixels of the panel are covered;" \
        "stacking, bottom to top: $(x xprop -root _NET_CLIENT_LIST_STACKING | cut -d'#' -f2) (panel $(printf 0x%x "$panel"))"
    check "after a click on the main window at ($x0, $y0) the panel is still in front"
done

e2e_close "$main"
e2e_wait_exit 10 || fail "still running 10 s after the close request"
[[ "$E2E_STATUS" == 0 ]] || fail "exit status $E2E_STATUS after a close, expected 0"
check "closed: exit status 0"
