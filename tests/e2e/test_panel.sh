# The control panel: it opens beside the main window with its caption, and each
# of its three visible buttons, clicked as a person would, changes the wave on
# the sheet to the one it names; a press dragged off takes no command, and the
# space bar clicks the button with the focus. The window manager sees it as an
# owned window, hidden while the main window is minimised; Alt+F4 on the main
# window, reaching the program, ends it with status 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/panel.sh"
prog=$1

# --- the run -------------------------------------------------------------------

E2E_PROGRAM_ALT_F4=1
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

# Sets cx, cy to the centre of the named button on the screen.
button_centre() {
    read -r bx by bw bh <<<"${BUTTON_DU[$1]}"
    cx=$(awk -v o="$px" -v u="$dux" -v a="$bx" -v b="$bw" 'BEGIN { printf "%d", o + (a + b / 2) * u }')
    cy=$(awk -v o="$py" -v u="$duy" -v a="$by" -v b="$bh" 'BEGIN { printf "%d", o + (a + b / 2) * u }')
}

# Waits until the sheet shows the named wave (a busy machine may take a moment
# to draw it); sets ax, az to the spreads seen.
n=0
wait_wave() {
    local name=$1 after=$2 deadline=$((SECONDS + 5)) wave
    n=$((n + 1))
    while true; do
        sleep 0.3
        e2e_shot "$E2E_TMP/shot$n.ppm"
        read -r ax az <<<"$(sheet_spreads "$E2E_TMP/shot$n.ppm" "$client" "$panel_frame")"
        wave=$(wave_of "$ax" "$az")
        [[ "$wave" == "$name" ]] && return
        ((SECONDS < deadline)) ||
            fail "after $after the sheet shows $wave (spread $ax at constant x, $az at constant z)"
    done
}

# Click each button in turn; the last one brings the start wave back.
for name in "plane-wave x" "plane-wave z" "efecto cortinado"; do
    button_centre "$name"
    e2e_click 1 "$cx" "$cy"
    wait_wave "$name" "a click on \"$name\" at ($cx, $cy)"
    check "a click on \"$name\" at ($cx, $cy) puts that wave on the sheet (spread $ax at constant x, $az at constant z)"
done

# A press on "plane-wave x" dragged off before the release takes no command
# but gives the button the focus; the space bar then clicks it.
button_centre "plane-wave x"
e2e_drag 1 "$cx" "$cy" "$cx" "$((cy + 200))"
E2E_EXCLUDE=("$panel_frame")
e2e_wait_new_frames "$client" 2
wait_wave "efecto cortinado" "a press dragged off \"plane-wave x\""
x xdotool key space
wait_wave "plane-wave x" "a press dragged off \"plane-wave x\", then space"
check "space clicks the button a press dragged off left with the focus (spread $ax at constant x, $az at constant z)"

# An owned window to the window manager: no taskbar entry, in front of the
# main window, and one program with it (the main window leads the group).
main_id=$(printf '0x%x' "$main")
props=$(x xprop -id "$panel" _NET_WM_STATE WM_TRANSIENT_FOR WM_HINTS; x xprop -id "$main" WM_HINTS)
grep -q '_NET_WM_STATE(ATOM) = _NET_WM_STATE_SKIP_TASKBAR$' <<<"$props" &&
    grep -q "WM_TRANSIENT_FOR(WINDOW): window id # $main_id\$" <<<"$props" &&
    (($(grep -c "group leader: $main_id\$" <<<"$props") == 2)) || fail "the panel's and main window's hints: $props"
check "the panel skips the taskbar, is transient for the main window, and both name it as group leader"

# Minimised, the main window takes the panel with it (withdrawn, not a second
# iconified window); restored, it brings it back.
x xdotool windowminimize "$main"
panel_withdrawn() { ! x xprop -id "$panel" WM_STATE | grep -q 'window state'; }
e2e_retry 10 panel_withdrawn || fail "the panel stayed with the window manager: $(x xprop -id "$panel" WM_STATE)"
x wmctrl -i -a "$main"
e2e_retry 10 eval 'x xwininfo -id "$panel" | grep -q IsViewable' || fail "the panel did not come back"
e2e_retry 10 eval 'x xprop -id "$panel" _NET_WM_STATE | grep -q SKIP_TASKBAR' ||
    fail "the panel came back with a taskbar entry"
check "minimising the main window withdraws the panel; restoring it shows the panel again, still off the taskbar"

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
x xdotool key alt+F4
e2e_wait_exit 10 || fail "still running 10 s after Alt+F4 on the main window"
[[ "$E2E_STATUS" == 0 ]] || fail "exit status $E2E_STATUS after Alt+F4, expected 0"
check "Alt+F4 on the main window closes it with the panel open: exit status 0"
