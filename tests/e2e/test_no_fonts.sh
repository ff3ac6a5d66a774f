# With a fontconfig configuration that finds no fonts at all, the panel still
# comes up at its size with every label drawn: the packaged Liberation file
# stands in (the very file fontconfig gives for Arial), so the panel looks
# exactly as it does with fonts, and stderr says once that a substitute is used.
source "$(dirname "$0")/lib.sh"
prog=$1

# Starts the program, saves its panel's client area as NAME.ppm, closes it.
# The panel is painted before the main window's next frame (frames wait for an
# empty queue): two new frames after it showed, its face is complete.
panel_view() {
    local name=$1 main client
    e2e_start_program "$prog"
    panel=$(e2e_wait_window "^${PANEL_TITLE}\$" 15) || fail "$name: panel: $(e2e_window_list)"
    main=$(e2e_wait_window "^${MAIN_TITLE}\$" 5) || fail "$name: main window: $(e2e_window_list)"
    client=$(e2e_client_geometry "$main")
    E2E_EXCLUDE=("$(e2e_frame_geometry "$panel")")
    e2e_wait_drawn "$client" 10
    e2e_wait_new_frames "$client" 2
    e2e_shot "$E2E_TMP/screen.ppm"
    e2e_crop "$E2E_TMP/screen.ppm" "$(e2e_client_geometry "$panel")" "$E2E_TMP/$name.ppm"
    e2e_close "$main"
    e2e_wait_exit 10 || fail "$name: still running 10 s after the close request"
}

e2e_start_display 24
panel_view fonts
cp "$E2E_TMP/prog.err" "$E2E_TMP/fonts.err"
printf '<?xml version="1.0"?>\n<fontconfig></fontconfig>\n' >"$E2E_TMP/empty.conf"
FONTCONFIG_FILE="$E2E_TMP/empty.conf" panel_view nofonts

size() { identify -format '%wx%h' "$1"; }
[[ $(size "$E2E_TMP/nofonts.ppm") == $(size "$E2E_TMP/fonts.ppm") ]] ||
    fail "without fonts the panel is $(size "$E2E_TMP/nofonts.ppm"), with fonts $(size "$E2E_TMP/fonts.ppm")"
d=$(e2e_diff "$E2E_TMP/fonts.ppm" "$E2E_TMP/nofonts.ppm")
((d == 0)) || fail "without fonts the panel differs from the one with fonts in $d pixels"
check "without fonts the panel is drawn as with them ($(size "$E2E_TMP/fonts.ppm"), labels and all)"

n=$(grep -c 'substitute\|instead' "$E2E_TMP/prog.err")
[[ $n == 1 ]] || fail "stderr has $n lines about a substitute font, expected 1: $(cat "$E2E_TMP/prog.err")"
grep -q 'instead' "$E2E_TMP/fonts.err" && fail "with fonts, stderr still speaks of a substitute"
check "stderr says once that a substitute is used: $(cat "$E2E_TMP/prog.err")"
