# The control panel: it opens beside the main window with its caption, and each
# of its three visible buttons, clicked as a person would, changes the wave on
# the sheet to the one it names.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/panel.sh"
prog=$1
# A user's SDL settings that would take the panel's frame hints and place,
# black out the main window or drop a first click change nothing.
export SDL_FRAMEBUFFER_ACCELERATION=opengl SDL_MOUSE_FOCUS_CLICKTHROUGH=0

# --- the run -------------------------------------------------------------------

e2e_start_quelvaro "$prog"
[[ "$(e2e_title "$panel")" == "$PANEL_TITLE" ]] || fail "panel title [$(e2e_title "$panel")]"
check "the panel is open, titled [$PANEL_TITLE]"

client=$(e2e_client_geometry "$main")
read -r mx my mw mh <<<"$client"
read -r px py pw ph <<<"$(e2e_client_geometry "$panel")"
panel_frame=$(e2e_frame_geometry "$panel")
# The panel's client size gives the size of a dialog unit in pixels.
read -r dux duy <<<"$(awk -v w="$pw" -v h="$ph" -v dw=$PANEL_DU_W -v dh=$PANEL_DU_H \
    'BEGIN { printf "%.4f %.4f", w / dw, h / dh }')"
note "panel client ${pw}x${ph} at ($px, $py): a dialog unit is $dux x $duy pixels"
awk -v x="$dux" -v y="$duy" 'BEGIN { exit !(x >= 1 && x <= 4 && y >= 1 && y <= 4) }' ||
    fail "implausible dialog unit $dux x $duy (Arial 9 pt should give about 1.75 x 1.9)"

# Beside the main window: its client area (not its frame) stands at (350, 16)
# dialog units from the main window's client origin, as on Windows, within
# the rounding of a pixel.
want_x=$(awk -v o="$mx" -v u="$dux" -v d=$PANEL_DU_X 'BEGIN { printf "%d", o + d * u + 0.5 }')
want_y=$(awk -v o="$my" -v u="$duy" -v d=$PANEL_DU_Y 'BEGIN { printf "%d", o + d * u + 0.5 }')
((px >= want_x - 1 && px <= want_x + 1 && py >= want_y - 1 && py <= want_y + 1)) ||
    fail "panel client area at ($px, $py), expected about ($want_x, $want_y)"
check "the panel's client area stands at ($px, $py), (350, 16) dialog units from the main window's client area"

e2e_wait_drawn "$client" 10
e2e_shot "$E2E_TMP/start.ppm"
read -r ax az <<<"$(sheet_spreads "$E2E_TMP/start.ppm" "$client" "$panel_frame")"
wave=$(wave_of "$ax" "$az")
[[ "$wave" == "efecto cortinado" ]] || fail "at start the sheet shows $wave (spread $ax at constant x, $az at constant z), expected the curtain"
check "at start the sheet shows the curtain wave (spread $ax at constant x, $az at constant z)"

# Click each button in turn; the last one brings the start wave back.
n=0
for name in "plane-wave x" "plane-wave z" "efecto cortinado"; do
    read -r bx by bw bh <<<"${BUTTON_DU[$name]}"
    cx=$(awk -v o="$px" -v u="$dux" -v a="$bx" -v b="$bw" 'BEGIN { printf "%d", o + (a + b / 2) * u }')
    cy=$(awk -v o="$py" -v u="$duy" -v a="$by" -v b="$bh" 'BEGIN { printf "%d", o + (a + b / 2) * u }')
    e2e_click 1 "$cx" "$cy"
    n=$((n + 1))
    # A busy machine may take a moment to draw the new wave.
    deadline=$((SECONDS + 5))
    while true; do
        sleep 0.3
        e2e_shot "$E2E_TMP/click$n.ppm"
        read -r ax az <<<"$(sheet_spreads "$E2E_TMP/click$n.ppm" "$client" "$panel_frame")"
        wave=$(wave_of "$ax" "$az")
        [[ "$wave" == "$name" ]] && break
        ((SECONDS < deadline)) ||
            fail "after a click on \"$name\" at ($cx, $cy) the sheet shows $wave (spread $ax at constant x, $az at constant z)"
    done
    check "a click on \"$name\" at ($cx, $cy) puts that wave on the sheet (spread $ax at constant x, $az at constant z)"
done

e2e_program_running || fail "the program ended during the clicks"

# The panel has no close box of its own; a close request from the window
# manager's frame leaves it open, and the program running.
e2e_close "$panel"
# The window manager handles requests in order: once it has made the main
# window active it has passed the close on, and two pictures later the program
# has read it.
x wmctrl -i -a "$main" || fail "the window manager did not activate the main window"
e2e_wait_active "$main"
E2E_EXCLUDE=("$panel_frame")
e2e_wait_new_frames "$client" 2
e2e_program_running || fail "a close request on the panel ended the program"
x xwininfo -id "$panel" 2>/dev/null | grep -q 'IsViewable' || fail "a close request on the panel closed it"
check "a close request on the panel leaves it open"
e2e_close "$main"
e2e_wait_exit 10 || fail "still running 10 s after the close request"
[[ "$E2E_STATUS" == 0 ]] || fail "exit status $E2E_STATUS after a close, expected 0"
check "closed with the panel open: exit status 0"
