#!/usr/bin/env bash
# record_gif.sh [OUTPUT.gif] [SECONDS] [PROGRAM]
#
# Makes the animated picture of the running program that the README shows
# (docs/quelvaro.gif by default): quelvaro on a virtual display (Xvfb,
# 1280x1024, openbox), its spin stopped by a click, its main window and panel
# grabbed 12.5 times a second, once for each tick of the waves, for SECONDS
# (3), then scaled to half size
# and written as a looping GIF whose frames each last as long as they were on
# the screen. Build the program first (./run.sh does).
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out=${1:-$root/docs/quelvaro.gif}
secs=${2:-3}
prog=${3:-$root/build/quelvaro}
fps=12.5
scale=50%
source "$root/tests/e2e/lib.sh"

e2e_start_quelvaro "$prog"
client=$(e2e_client_geometry "$main")
e2e_wait_drawn "$client" 15
# A click that does not move stops the scene's spin: what moves then is the
# lighting alone, and the program draws once a tick, not as fast as it can.
read -r cx cy cw ch <<<"$client"
e2e_click 1 $((cx + cw / 4)) $((cy + ch * 3 / 4))
sleep 1

# The region: the main window and the panel, frames included.
read -r x0 y0 w h <<<"$(e2e_union_geometry "$(e2e_frame_geometry "$main")" "$(e2e_frame_geometry "$panel")")"

frames="$E2E_TMP/frames"
python3 "$root/tools/grab_frames.py" "$x0" "$y0" "$w" "$h" "$fps" "$secs" "$frames" || fail "grabbing frames failed"
e2e_close "$main" || fail "could not ask the window manager to close the window"
e2e_wait_exit 10 || fail "the program did not end within 10 s of the close request"

# Each frame lasts until the next was taken, the last until the grabbing
# ended. GIF delays are in hundredths of a second, rounded on the running
# total so that the whole keeps its length.
mapfile -t times <"$frames/times"
n=$((${#times[@]} - 1))
args=()
for ((i = 0; i < n; i++)); do
    delay=$(awk -v a="${times[i]}" -v b="${times[i + 1]}" 'BEGIN { print int(b * 100 + 0.5) - int(a * 100 + 0.5) }')
    args+=(-delay "$delay" "bgra:$(printf "%s/%03d.bgra" "$frames" "$i")")
done
mkdir -p "$(dirname "$out")"
convert -size "${w}x${h}" -depth 8 "${args[@]}" -alpha off -resize "$scale" \
    +dither -layers Optimize -loop 0 "$out" || fail "convert could not write $out"
echo "Saved $out: $n frames over ${times[n]} s, $(identify -format '%wx%h' "$out[0]"), $(du -k "$out" | cut -f1) kB."
