# wine.sh: quelvaro's Windows build run under Wine on Xvfb with openbox, and
# checked the way a person would see it: both windows open with their titles,
# the picture moves, a click on "plane-wave x" puts that wave on the sheet,
# and a close request on the main window ends the process with status 0 (the
# loader exits with the program's status). Source it after lib.sh and panel.sh.
#
# The test sets WINE (the loader), WINESERVER, WINEPREFIX and the deadlines:
#   PREFIX_SECS   making the prefix, on the first run only
#   START_SECS    each of: the main window, the panel, the first picture
#   STEP_SECS     the picture moving, the clicked wave showing
#   MOVE_GAP      seconds between the two screenshots that must differ
#   EXIT_SECS     the end of the process after the close request
#
#   wine_make_prefix     makes WINEPREFIX when it is not there yet
#   wine_check_run EXE   runs EXE under WINE and checks all of the above

export WINEDEBUG=-all
# No offer to install .NET or the HTML engine into a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The wineserver and the services Wine started for our prefix end with the test.
e2e_stop_extra() { timeout 10 "$WINESERVER" -k >/dev/null 2>&1; }

wine_make_prefix() {
    [[ -f "$WINEPREFIX/system.reg" ]] && return 0
    mkdir -p "$WINEPREFIX"
    local started=$SECONDS
    timeout "$PREFIX_SECS" "$WINE" wineboot --init >"$E2E_TMP/wineboot.log" 2>&1 &&
        timeout "$PREFIX_SECS" "$WINESERVER" -w ||
        fail "no Wine prefix within ${PREFIX_SECS}s: $(tail -3 "$E2E_TMP/wineboot.log")"
    note "made the Wine prefix $WINEPREFIX in $((SECONDS - started)) s"
}

wine_check_run() {
    local exe=$1 started=$SECONDS deadline moved wave ax az cx cy
    e2e_start_program "$WINE" "$exe"
    main=$(e2e_wait_window "^${MAIN_TITLE}\$" "$START_SECS") || fail "main window: $(e2e_window_list)"
    panel=$(e2e_wait_window "^${PANEL_TITLE}\$" "$START_SECS") || fail "panel: $(e2e_window_list)"
    [[ "$(e2e_title "$main")" == "$MAIN_TITLE" ]] || fail "main window title [$(e2e_title "$main")]"
    [[ "$(e2e_title "$panel")" == "$PANEL_TITLE" ]] || fail "panel title [$(e2e_title "$panel")]"
    check "both windows are open, titled [$MAIN_TITLE] and [$PANEL_TITLE], $((SECONDS - started)) s after the start"

    # Under Wine the X window that carries a top-level's title is its client area.
    client=$(e2e_client_geometry "$main")
    local panel_client panel_frame
    panel_client=$(e2e_client_geometry "$panel")
    panel_frame=$(e2e_frame_geometry "$panel")
    note "main client $client, panel client $panel_client (screen x y w h)"
    E2E_EXCLUDE=("$panel_frame")
    e2e_wait_drawn "$client" "$START_SECS"
    note "the first picture $((SECONDS - started)) s after the start"

    # The waves travel with every tick of the animation clock.
    deadline=$((SECONDS + STEP_SECS))
    while true; do
        e2e_shot "$E2E_TMP/first.ppm"
        e2e_view "$E2E_TMP/first.ppm" "$client" "$E2E_TMP/first.png"
        sleep "$MOVE_GAP"
        e2e_shot "$E2E_TMP/later.ppm"
        e2e_view "$E2E_TMP/later.ppm" "$client" "$E2E_TMP/later.png"
        moved=$(e2e_diff "$E2E_TMP/first.png" "$E2E_TMP/later.png")
        ((moved > 1000)) && break
        ((SECONDS < deadline)) || fail "the picture stood still: $moved pixels changed in ${MOVE_GAP} s"
    done
    check "the picture moves: $moved pixels of the main window changed in ${MOVE_GAP} s"

    read -r ax az <<<"$(sheet_spreads "$E2E_TMP/later.ppm" "$client" "$panel_frame")"
    wave=$(wave_of "$ax" "$az")
    [[ "$wave" == "efecto cortinado" ]] ||
        fail "at start the sheet shows $wave (spread $ax at constant x, $az at constant z), expected the curtain"
    check "at start the sheet shows the curtain wave (spread $ax at constant x, $az at constant z)"

    read -r cx cy <<<"$(panel_button_centre "plane-wave x" "$panel_client")"
    e2e_click 1 "$cx" "$cy"
    deadline=$((SECONDS + STEP_SECS))
    while true; do
        sleep 0.3
        e2e_shot "$E2E_TMP/clicked.ppm"
        read -r ax az <<<"$(sheet_spreads "$E2E_TMP/clicked.ppm" "$client" "$panel_frame")"
        wave=$(wave_of "$ax" "$az")
        [[ "$wave" == "plane-wave x" ]] && break
        ((SECONDS < deadline)) ||
            fail "after a click on \"plane-wave x\" at ($cx, $cy) the sheet shows $wave (spread $ax at constant x, $az at constant z)"
    done
    check "a click on \"plane-wave x\" at ($cx, $cy) puts that wave on the sheet (spread $ax at constant x, $az at constant z)"

    e2e_close "$main"
    e2e_wait_exit "$EXIT_SECS" || fail "still running ${EXIT_SECS} s after the close request"
    [[ "$E2E_STATUS" == 0 ]] || fail "exit status $E2E_STATUS after a close, expected 0"
    check "a close request on the main window ends $(basename "$WINE") with status 0, $((SECONDS - started)) s after the start"
}
