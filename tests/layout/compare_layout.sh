#!/usr/bin/env bash
# Lays the program's dialogs out twice, on the Linux layer and under Wine's
# user32 (the same probe built for 64-bit Windows), and compares the two
# tables line by line; every difference is printed. Usage:
#   compare_layout.sh LINUX_PROBE WORK_DIR [WINE_PREFIX]
# The Windows probe lives in WORK_DIR, and the Wine prefix too unless one is
# given (the build tree's, shared with the Wine end-to-end test). Skips
# (status 77) without wine64, the mingw-w64 x86_64 tools or Xvfb.
set -uo pipefail
src="$(cd "$(dirname "$0")/../.." && pwd)"
probe="$1"
work="$(mkdir -p "$2" && cd "$2" && pwd)"
prefix="${3:-$work/wineprefix}"
[[ "$prefix" == /* ]] || prefix="$PWD/$prefix"

wine=/usr/lib/wine/wine64
for tool in "$wine" x86_64-w64-mingw32-g++ x86_64-w64-mingw32-windres xvfb-run; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

# The Windows probe, rebuilt when its source or the resource script changed.
exe="$work/layout_probe.exe"
source "$src/tests/support/windows_probe.sh"
windows_probe_build "$src/tests/layout/layout_probe.cpp" "$exe" || exit 1

SDL_VIDEODRIVER=offscreen "$probe" >"$work/layer.txt" || { echo "the probe failed on the layer"; exit 1; }
# The first run creates the prefix (a few seconds more).
WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
  xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$exe" 2>"$work/wine.err" | tr -d '\r' >"$work/windows.txt"
[[ -s "$work/windows.txt" ]] || { echo "the probe failed under Wine:"; tail -5 "$work/wine.err"; exit 1; }

# Facts that are not Windows' to decide, shown but not compared:
# - a dialog's outer rectangle holds the window manager's frame on Linux and
#   Wine's own frame under Wine;
# - Wine has no Arial Black and measures the options dialog's texts in Arial,
#   where the layer uses Arial Black's nearest twin, Liberation Sans Bold.
own='^[^ ]+ window |^ColorScrDlg1 .* extent '
grep -E "$own" "$work/layer.txt" | sed 's/^/not compared, layer:   /'
grep -E "$own" "$work/windows.txt" | sed 's/^/not compared, windows: /'
if diff <(grep -Ev "$own" "$work/windows.txt") <(grep -Ev "$own" "$work/layer.txt") >"$work/differences.txt"; then
  echo "layout: the layer lays out $(grep -c . "$work/layer.txt") facts as Windows does"
  exit 0
fi
echo "layout: differences ('<' Windows under Wine, '>' the layer):"
grep -E '^[<>]' "$work/differences.txt"
exit 1
