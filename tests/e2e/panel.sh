# panel.sh: what the end-to-end tests know about the control panel: where its
# template puts it and its buttons, and how to tell from a screenshot which
# wave the sheet shows. Source it after lib.sh.

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


# Prints "dux duy": the size of a dialog unit in pixels, from the panel's
# client "x y w h" and its template's size.
panel_dialog_unit() {
    local -a c
    read -r -a c <<<"$1"
    awk -v w="${c[2]}" -v h="${c[3]}" -v dw=$PANEL_DU_W -v dh=$PANEL_DU_H \
        'BEGIN { printf "%.4f %.4f", w / dw, h / dh }'
}

# Prints "x y": the screen point at the centre of the named button, from the
# panel's client "x y w h".
panel_button_centre() {
    local name=$1 dux duy bx by bw bh
    local -a c
    read -r -a c <<<"$2"
    read -r dux duy <<<"$(panel_dialog_unit "$2")"
    read -r bx by bw bh <<<"${BUTTON_DU[$name]}"
    awk -v ox="${c[0]}" -v oy="${c[1]}" -v ux="$dux" -v uy="$duy" -v x="$bx" -v y="$by" -v w="$bw" -v h="$bh" \
        'BEGIN { printf "%d %d", ox + (x + w / 2) * ux, oy + (y + h / 2) * uy }'
}
