# The control panel: it opens beside the main window with its caption, and each
# of its three visible buttons, clicked as a person would, changes the wave on
# the sheet to the one it names.
source "$(dirname "$0")/lib.sh"
prog=$1

# The panel's template: its place (from the main window's client origin) and
# size, and the three visible buttons "x y w h", all in dialog units.
PANEL_DU_X=350 PANEL_DU_Y=16 PANEL_DU_W=135 PANEL_DU_H=111
declare -A BUTTON_DU=(
    [plane-wave x]="8 14 57 14"
    [plane-wave z]="8 32 58 15"
    [efecto cortinado]="9 52 58 14"
)

# --- telling the waves apart ----------------------------------------------------
#
# The sheet lies in the plane y = 0 of the scene; until the trackball is used
# it keeps its start orientation (-130 degrees about x after -30 about y),
# 6.7 units in front of the eye, under a frustum of half-height 1 at the near
# plane 2. So a point (x, 0, z) of the sheet lands at a pixel we can compute.
# The lighting depends on the normal only, and the normal of "plane-wave x"
# depends on x only: along a line of constant x its colour is constant, along
# a line of constant z it ripples. "plane-wave z" is the other way round, and
# the curtain ("efecto cortinado", normal x = sin(10x + phase) + z/2) varies
# along both. Sampling both kinds of line classifies the picture whatever the
# phase of the waves.

# Prints "kind fixed px py" for the sample points of six lines on the sheet:
# three of constant x (kind x) and three of constant z (kind z), each from
# -1.3 to 1.3 in steps of 0.1, as pixels of the client "cx cy cw ch" on the
# screen. Points under the panel "x y w h" are left out.
sheet_samples() {
    awk -v client="$1" -v panel="$2" 'BEGIN {
        split(client, c, " "); split(panel, r, " ")
        pi = atan2(0, -1); cy30 = cos(-30 * pi / 180); sy30 = sin(-30 * pi / 180)
        cx130 = cos(-130 * pi / 180); sx130 = sin(-130 * pi / 180)
        aspect = c[3] / c[4]
        split("-0.8 0.1 0.9", fixed, " ")
        for (k = 0; k < 2; k++)
            for (f = 1; f <= 3; f++)
                for (i = -13; i <= 13; i++) {
                    x = k == 0 ? fixed[f] : i / 10; z = k == 0 ? i / 10 : fixed[f]
                    X = cy30 * x + sy30 * z; Z = -sy30 * x + cy30 * z       # about y
                    ex = X; ey = -sx130 * Z; ez = cx130 * Z - 6.7            # about x, then the camera
                    px = int(c[1] + ((2 / aspect) * ex / -ez + 1) / 2 * c[3])
                    py = int(c[2] + (1 - 2 * ey / -ez) / 2 * c[4])
                    if (px >= r[1] && px < r[1] + r[3] && py >= r[2] && py < r[2] + r[4]) continue
                    print (k == 0 ? "x" : "z"), fixed[f], px, py
                }
    }'
}

# Prints "at_x at_z": the spread (standard deviation of r + g + b) along
# lines of constant x and along lines of constant z on the sheet,
# averaged over three lines each. Pixels of the blue wire box are left out.
sheet_spreads() {
    local shot=$1 client=$2 panel=$3
    local samples
    samples=$(sheet_samples "$client" "$panel")
    # shellcheck disable=SC2046
    paste -d' ' <(echo "$samples") <(e2e_pixels "$shot" $(echo "$samples" | awk '{ printf "%d,%d\n", $3, $4 }')) |
        awk '
        $7 > $5 + 60 && $5 < 60 { next }                          # the wire box
        { line = $1 " " $2; v = $5 + $6 + $7; s[line] += v; q[line] += v * v; n[line]++; kind[line] = $1 }
        END {
            for (line in n) {
                if (n[line] < 10) { print "too few sheet pixels on the line " line > "/dev/stderr"; exit 1 }
                sd = sqrt(q[line] / n[line] - (s[line] / n[line]) ^ 2)
                total[kind[line]] += sd; count[kind[line]]++
            }
            printf "%.2f %.2f\n", total["x"] / count["x"], total["z"] / count["z"]
        }' || fail "the sheet could not be sampled"
}

# Prints which wave the spreads "at_x at_z" point to: "plane-wave x",
# "plane-wave z", "efecto cortinado", or "unclear".
wave_of() {
    awk -v ax="$1" -v az="$2" 'BEGIN {
        if (ax < 0.25 * az && az > 3) print "plane-wave x"
        else if (az < 0.25 * ax && ax > 3) print "plane-wave z"
        else if (ax > 3 && az > 3) print "efecto cortinado"
        else print "unclear" }'
}

# --- the run -------------------------------------------------------------------

e2e_start_quelvaro "$prog"
[[ "$(e2e_title "$panel")" == "$PANEL_TITLE" ]] || fail "panel title [$(e2e_title "$panel")]"
check "the panel is open, titled [$PANEL_TITLE]"

client=$(e2e_client_geometry "$main")
read -r mx my mw mh <<<"$client"
read -r px py pw ph <<<"$(e2e_client_geometry "$panel")"
panel_frame=$(e2e_frame_geometry "$panel")
read -r pfx pfy pfw pfh <<<"$panel_frame"
# The panel's client size gives the size of a dialog unit in pixels.
read -r dux duy <<<"$(awk -v w="$pw" -v h="$ph" -v dw=$PANEL_DU_W -v dh=$PANEL_DU_H \
    'BEGIN { printf "%.4f %.4f", w / dw, h / dh }')"
note "panel client ${pw}x${ph} at ($px, $py): a dialog unit is $dux x $duy pixels"
awk -v x="$dux" -v y="$duy" 'BEGIN { exit !(x >= 1 && x <= 4 && y >= 1 && y <= 4) }' ||
    fail "implausible dialog unit $dux x $duy (Arial 9 pt should give about 1.75 x 1.9)"

# Beside the main window: its frame stands at (350, 16) dialog units from the
# main window's client origin, within the rounding of a pixel or two.
want_x=$(awk -v o="$mx" -v u="$dux" -v d=$PANEL_DU_X 'BEGIN { printf "%d", o + d * u + 0.5 }')
want_y=$(awk -v o="$my" -v u="$duy" -v d=$PANEL_DU_Y 'BEGIN { printf "%d", o + d * u + 0.5 }')
((pfx >= want_x - 2 && pfx <= want_x + 2 && pfy >= want_y - 2 && pfy <= want_y + 2)) ||
    fail "panel frame at ($pfx, $pfy), expected about ($want_x, $want_y)"
check "the panel stands at ($pfx, $pfy), (350, 16) dialog units from the main window's client area"

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
sleep 1
e2e_program_running || fail "a close request on the panel ended the program"
x xwininfo -id "$panel" 2>/dev/null | grep -q 'IsViewable' || fail "a close request on the panel closed it"
check "a close request on the panel leaves it open"
e2e_close "$main"
e2e_wait_exit 10 || fail "still running 10 s after the close request"
[[ "$E2E_STATUS" == 0 ]] || fail "exit status $E2E_STATUS after a close, expected 0"
check "closed with the panel open: exit status 0"
