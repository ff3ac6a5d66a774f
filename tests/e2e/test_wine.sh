# quelvaro built for 64-bit Windows, run under wine64 on Xvfb with openbox:
# both windows open with their titles, the picture moves, a click on
# "plane-wave x" puts that wave on the sheet, and a close request on the main
# window ends the process with status 0 (wine64 exits with the program's status).
#
#   test_wine.sh QUELVARO_EXE WINE_PREFIX
#
# The prefix is made on the first run (it takes a few seconds, more on a busy
# machine) and kept for the next ones.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/panel.sh"
exe=$1
WINE=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
export WINEPREFIX=$2 WINEDEBUG=-all
# No offer to install .NET or the HTML engine into a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Waits: a prefix is made once, and the first start in it loads every DLL cold.
PREFIX_SECS=90
START_SECS=40

[[ -x "$WINE" ]] || fail "no wine64 at $WINE (tools/install-deps.sh installs wine64)"
[[ -f "$exe" ]] || fail "no Windows executable at $exe"

# The wineserver and the services Wine started for our prefix end with the test.
e2e_stop_extra() { timeout 10 "$WINESERVER" -k >/dev/null 2>&1; }

e2e_start_display 24
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    started=$SECONDS
    timeout "$PREFIX_SECS" "$WINE" wineboot --init >"$E2E_TMP/wineboot.log" 2>&1 &&
        timeout "$PREFIX_SECS" "$WINESERVER" -w ||
        fail "no Wine prefix within ${PREFIX_SECS}s: $(tail -3 "$E2E_TMP/wineboot.log")"
    note "made the Wine prefix $WINEPREFIX in $((SECONDS - started)) s"
fi

e2e_start_program "$WINE" "$exe"
main=$(e2e_wait_window "^${MAIN_TITLE}\$" "$START_SECS") || fail "main window: $(e2e_window_list)"
panel=$(e2e_wait_window "^${PANEL_TITLE}\$" "$START_SECS") || fail "panel: $(e2e_window_list)"
[[ "$(e2e_title "$main")" == "$MAIN_TITLE" ]] || fail "main window title [$(e2e_title "$main")]"
[[ "$(e2e_title "$panel")" == "$PANEL_TITLE" ]] || fail "panel title [$(e2e_title "$panel")]"
check "both windows are open, titled [$MAIN_TITLE] and [$PANEL_TITLE]"

# Under Wine the X window that carries a top-level's title is its client area.
client=$(e2e_client_geometry "$main")
panel_client=$(e2e_client_geometry "$panel")
panel_frame=$(e2e_frame_geometry "$panel")
note "main client $client, panel client $panel_client (screen x y w h)"
E2E_EXCLUDE=("$panel_frame")
e2e_wait_drawn "$client" "$START_SECS"

# The waves travel with every tick of the animation clock.
e2e_shot "$E2E_TMP/first.ppm"
e2e_view "$E2E_TMP/first.ppm" "$client" "$E2E_TMP/first.png"
deadline=$((SECONDS + 10))
while true; do
    sleep 0.5
    e2e_shot "$E2E_TMP/later.ppm"
    e2e_view "$E2E_TMP/later.ppm" "$client" "$E2E_TMP/later.png"
    moved=$(e2e_diff "$E2E_TMP/first.png" "$E2E_TMP/later.png")
    ((moved > 1000)) && break
    ((SECONDS < deadline)) || fail "the picture stood still: $moved pixels changed in 10 s"
done
check "the picture moves: $moved pixels of the main window changed"

read -r ax az <<<"$(sheet_spreads "$E2E_TMP/later.ppm" "$client" "$panel_frame")"
wave=$(wave_of "$ax" "$az")
[[ "$wave" == "efecto cortinado" ]] ||
    fail "at start the sheet shows $wave (spread $ax at constant x, $az at constant z), expected the curtain"
check "at start the sheet shows the curtain wave (spread $ax at constant x, $az at constant z)"

read -r cx cy <<<"$(panel_button_centre "plane-wave x" "$panel_client")"
e2e_click 1 "$cx" "$cy"
deadline=$((SECONDS + 10))
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
e2e_wait_exit 20 || fail "still running 20 s after the close request"
[[ "$E2E_STATUS" == 0 ]] || fail "exit status $E2E_STATUS after a close, expected 0"
check "a close request on the main window ends wine64 with status 0"
