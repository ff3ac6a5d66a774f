#!/usr/bin/env bash
# screenshot.sh PROGRAM OUTPUT.png [SECONDS]
#
# Runs quelvaro where there is no display: on a virtual one (Xvfb, 1280x1024,
# with openbox as its window manager), lets it run for a few seconds, saves a
# picture of the main window and its panel to OUTPUT.png, then closes the
# program the way a person would, through the window manager, and returns the
# program's own exit status. ./run.sh calls it when DISPLAY is unset.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[[ $# -ge 2 ]] || { echo "usage: $0 PROGRAM OUTPUT.png [SECONDS]" >&2; exit 2; }
prog=$1
out=$2
secs=${3:-3}
source "$root/tests/e2e/lib.sh"

e2e_start_display 24
echo "No display: running $prog on a virtual one ($DISPLAY) for ${secs}s."
e2e_start_program "$prog"
main=$(e2e_wait_window "^${MAIN_TITLE}\$" 15) || fail "the main window did not show"
sleep "$secs"
e2e_program_running || fail "the program ended on its own"

# The picture covers the main window and the panel, frames included.
e2e_shot "$E2E_TMP/screen.png"
frames=("$(e2e_frame_geometry "$main")")
panel=$(e2e_wait_window "^${PANEL_TITLE}\$" 1 2>/dev/null) && frames+=("$(e2e_frame_geometry "$panel")")
read -r x0 y0 w h <<<"$(e2e_union_geometry "${frames[@]}")"
mkdir -p "$(dirname "$out")"
e2e_crop "$E2E_TMP/screen.png" "$x0 $y0 $w $h" "$out"
echo "Saved $out (${w}x${h})."

e2e_close "$main" || fail "could not ask the window manager to close the window"
e2e_wait_exit 10 || fail "the program did not end within 10 s of the close request"
echo "The program closed with status $E2E_STATUS."
[[ -s "$E2E_TMP/prog.err" ]] && sed 's/^/  stderr: /' "$E2E_TMP/prog.err"
exit "$E2E_STATUS"
