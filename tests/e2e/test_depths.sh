# The panel looks the same on every depth the main window works on: 24 bits,
# 16 bits, and 30 bits, where SDL knows no surface format for a window and
# the layer draws the dialog in the window's own.
source "$(dirname "$0")/lib.sh"
prog=$1

# Starts the program on a display of DEPTH bits, waits for its first picture
# and saves the panel's client area as panel_DEPTH.png once it matches
# REFERENCE within the fuzz of the depth's colours (or, with no reference,
# once it shows the face colour).
panel_at_depth() {
    local depth=$1 reference=${2:-} deadline d="" rgb
    e2e_start_display "$depth"
    e2e_start_program "$prog"
    main=$(e2e_wait_window "^${MAIN_TITLE}\$" 15) || fail "$depth bits: main window: $(e2e_window_list)"
    panel=$(e2e_wait_window "^${PANEL_TITLE}\$" 10) || fail "$depth bits: panel: $(e2e_window_list)"
    e2e_wait_drawn "$(e2e_client_geometry "$main")" 10
    deadline=$((SECONDS + 10))
    while true; do
        e2e_shot "$E2E_TMP/screen.png"
        e2e_crop "$E2E_TMP/screen.png" "$(e2e_client_geometry "$panel")" "$E2E_TMP/panel_$depth.png"
        if [[ -n "$reference" ]]; then
            d=$(compare -metric AE -fuzz 5% "$reference" "$E2E_TMP/panel_$depth.png" null: 2>&1)
            [[ "$d" == 0 ]] && break
        else
            rgb=$(e2e_pixels "$E2E_TMP/panel_$depth.png" 2,2)
            [[ "$rgb" == "212 208 200" ]] && break
        fi
        ((SECONDS < deadline)) || fail "$depth bits: the panel is not drawn (corner $(e2e_pixels "$E2E_TMP/panel_$depth.png" 2,2), $d pixels apart)"
        sleep 0.2
    done
    [[ ! -s "$E2E_TMP/prog.err" ]] || fail "$depth bits: stderr not empty: $(head -3 "$E2E_TMP/prog.err")"
    e2e_stop_pid "$E2E_PROG_PID"
    e2e_stop_pid "$E2E_WM_PID"
    e2e_stop_pid "$E2E_XVFB_PID"
}

panel_at_depth 24
check "24 bits: the panel is drawn"
for depth in 16 30; do
    panel_at_depth "$depth" "$E2E_TMP/panel_24.png"
    check "$depth bits: the panel looks as on 24 bits, and nothing is printed"
done
