# On a display without OpenGL (an 8-bit Xvfb screen has no GLX), or with a
# broken OpenGL driver that answers with X errors, the program cannot get a
# pixel format: it shows an error box captioned "Error" and, once a person
# dismisses it, ends with status 1, having said on stderr what went wrong.
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

# Runs the program on a display of DEPTH bits with the environment changes
# given to env, dismisses the box it must show, and looks on stderr for LINE,
# what it must have said.
error_box_case() {
    local case=$1 depth=$2 line=$3
    shift 3
    e2e_start_display "$depth"
    env "$@" env --default-signal=INT,QUIT "$prog" >"$E2E_TMP/prog.out" 2>"$E2E_TMP/prog.err" &
    E2E_PROG_PID=$!

    box=""
    deadline=$((SECONDS + 15))
    while [[ -z "$box" ]]; do
        box=$(error_box)
        [[ -n "$box" ]] && break
        e2e_program_running || { e2e_wait_exit 1; fail "$case: the program ended (status $E2E_STATUS) without an error box"; }
        ((SECONDS < deadline)) || fail "$case: no window captioned \"Error\" within 15 s; windows: $(e2e_window_list)"
        sleep 0.2
    done
    read -r bid bx by bw bh <<<"$box"
    check "$case: an error box captioned \"Error\" appeared (${bw}x${bh} at $bx,$by)"

    # The box is modal: the program waits for the person, and the box, live in
    # the program, answers the pointer: its button lights up under it. The
    # button is the one light thing in the box's lower half (the message
    # takes the upper half; the colours depend on the display's depth).
    x xdotool mousemove --sync 0 0 || fail "$case: pointer move failed"
    e2e_shot "$E2E_TMP/box.ppm"
    e2e_crop "$E2E_TMP/box.ppm" "$bx $by $bw $bh" "$E2E_TMP/box_before.ppm"
    e2e_crop "$E2E_TMP/box.ppm" "$bx $((by + bh / 2)) $bw $((bh - bh / 2))" "$E2E_TMP/box_lower.ppm"
    button=$(e2e_white_box "$E2E_TMP/box_lower.ppm" -channel B -separate +channel -threshold 80%)
    [[ -n "$button" ]] || fail "$case: no button found on the error box"
    read -r tw th tx ty <<<"$button"
    ty=$((ty + bh / 2))
    x xdotool mousemove --sync $((bx + tx + tw / 2)) $((by + ty + th / 2)) || fail "$case: pointer move failed"
    deadline=$((SECONDS + 5))
    while true; do
        e2e_shot "$E2E_TMP/box.ppm"
        e2e_crop "$E2E_TMP/box.ppm" "$bx $by $bw $bh" "$E2E_TMP/box_hover.ppm"
        (($(e2e_diff "$E2E_TMP/box_before.ppm" "$E2E_TMP/box_hover.ppm") > 0)) && break
        e2e_program_running || { e2e_wait_exit 1; fail "$case: the program ended (status $E2E_STATUS) before the box was dismissed"; }
        ((SECONDS < deadline)) || fail "$case: the box's button did not answer the pointer within 5 s"
        sleep 0.1
    done
    e2e_program_running || { e2e_wait_exit 1; fail "$case: the program ended (status $E2E_STATUS) before the box was dismissed"; }
    check "$case: the program waits while the box is up, and the box answers the pointer"

    x xdotool key Return
    e2e_wait_exit 10 || fail "$case: still running 10 s after Return on the box"
    [[ "$E2E_STATUS" == 1 ]] || fail "$case: exit status $E2E_STATUS after the box, expected 1"
    check "$case: dismissed with Return: exit status 1"
    grep -qF "$line" "$E2E_TMP/prog.err" || fail "$case: stderr does not say \"$line\""
    check "$case: stderr says \"$line\""
    e2e_stop_pid "$E2E_WM_PID"
    e2e_stop_pid "$E2E_XVFB_PID"
}

error_box_case "no GLX" 8 "quelvaro: this display offers no OpenGL"
error_box_case "a broken driver" 24 "quelvaro: looking for OpenGL pixel formats: the display answered with an X error" \
    LIBGL_DRIVERS_PATH=/nonexistent __GLX_VENDOR_LIBRARY_NAME=bogus
