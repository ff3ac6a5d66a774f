# On a display without OpenGL (an 8-bit Xvfb screen has no GLX) the program
# cannot get a pixel format: it shows an error box captioned "Error" and,
# once a person dismisses it, ends with status 1.
source "$(dirname "$0")/lib.sh"
prog=$1

# The box's title is set in an encoding that xdotool's name search misses, so
# it is looked up in the window tree. Prints its "id x y w h".
error_box() {
    x xwininfo -root -tree 2>/dev/null | awk '
        $2 == "\"Error\":" {
            # 0x200007 "Error": ("name" "class")  300x100+10+20  +10+20
            for (i = 3; i <= NF; i++)
                if ($i ~ /^[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+$/) {
                    split($i, g, /[x+]/); size = g[1] " " g[2]
                    split($(i + 1), a, /\+/); print $1, a[2], a[3], size; exit
                }
        }'
}

e2e_start_display 8
e2e_start_program "$prog"

box=""
deadline=$((SECONDS + 15))
while [[ -z "$box" ]]; do
    box=$(error_box)
    [[ -n "$box" ]] && break
    e2e_program_running || { e2e_wait_exit 1; fail "the program ended (status $E2E_STATUS) without an error box"; }
    ((SECONDS < deadline)) || fail "no window captioned \"Error\" within 15 s; windows: $(e2e_window_list)"
    sleep 0.2
done
read -r bid bx by bw bh <<<"$box"
check "an error box captioned \"Error\" appeared (${bw}x${bh} at $bx,$by)"

# The box is modal: the program waits for the person, and the box, live in
# the program, answers the pointer: its button (the one light grey thing on
# it) lights up under it.
x xdotool mousemove --sync 0 0 || fail "pointer move failed"
e2e_shot "$E2E_TMP/box.ppm"
e2e_crop "$E2E_TMP/box.ppm" "$bx $by $bw $bh" "$E2E_TMP/box_before.ppm"
button=$(e2e_white_box "$E2E_TMP/box_before.ppm" -channel B -separate +channel -threshold 80%)
[[ -n "$button" ]] || fail "no button found on the error box"
read -r tw th tx ty <<<"$button"
x xdotool mousemove --sync $((bx + tx + tw / 2)) $((by + ty + th / 2)) || fail "pointer move failed"
deadline=$((SECONDS + 5))
while true; do
    e2e_shot "$E2E_TMP/box.ppm"
    e2e_crop "$E2E_TMP/box.ppm" "$bx $by $bw $bh" "$E2E_TMP/box_hover.ppm"
    (($(e2e_diff "$E2E_TMP/box_before.ppm" "$E2E_TMP/box_hover.ppm") > 0)) && break
    e2e_program_running || { e2e_wait_exit 1; fail "the program ended (status $E2E_STATUS) before the box was dismissed"; }
    ((SECONDS < deadline)) || fail "the box's button did not answer the pointer within 5 s"
    sleep 0.1
done
e2e_program_running || { e2e_wait_exit 1; fail "the program ended (status $E2E_STATUS) before the box was dismissed"; }
check "the program waits while the box is up, and the box answers the pointer"

x xdotool key Return
e2e_wait_exit 10 || fail "still running 10 s after Return on the box"
[[ "$E2E_STATUS" == 1 ]] || fail "exit status $E2E_STATUS after the box, expected 1"
check "dismissed with Return: exit status 1"
