#!/usr/bin/env bash
# Lays the program's dialogs out three times, on the Linux layer, under Wine's
# user32 (the same probe built for 64-bit Windows) and on the layer's web
# backend in headless chromium (the web build's layout_probe.html, through
# browser_layout.py), and compares the layer's and the browser's tables with
# Windows' line by line; every difference is printed. Usage:
#   compare_layout.sh LINUX_PROBE WORK_DIR [WINE_PREFIX [WEB_TREE]]
# The Windows probe lives in WORK_DIR, and the Wine prefix too unless one is
# given (the build tree's, shared with the Wine end-to-end test); WEB_TREE is
# the web build tree (build-web/ by default). Skips (status 77) without
# wine64, the mingw-w64 x86_64 tools or Xvfb; without chromium only the
# browser's column is skipped, saying why.
set -uo pipefail
src="$(cd "$(dirname "$0")/../.." && pwd)"
probe="$1"
work="$(mkdir -p "$2" && cd "$2" && pwd)"
prefix="${3:-$work/wineprefix}"
web_tree="${4:-$src/build-web}"
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

# The browser's table; status 77 when chromium cannot start here.
rm -f "$work/browser.txt"
python3 -B "$src/tests/layout/browser_layout.py" "$web_tree" "$work/browser.txt" >"$work/browser.err"
browser=$?
(( browser == 0 || browser == 77 )) || { echo "the probe failed in the browser:"; cat "$work/browser.err"; exit 1; }

# Facts that are not Windows' to decide, shown but not compared:
# - on Linux a dialog's outer rectangle holds the window manager's frame, and
#   Wine's own frame under Wine;
# - Wine has no Arial Black and measures the options dialog's texts in Arial,
#   where the layer uses Arial Black's nearest twin, Liberation Sans Bold, as
#   the page does (Arial at its heaviest weight).
# In the browser the page draws the frames itself, with Windows' metrics, so
# the outer rectangles are compared there. The browser's own fact:
# - the colours dialog's caption (Arial at 15 pixels): chromium measures text
#   with the system's font settings, Debian's slight hinting, which leaves
#   advances unhinted, and its "M" (12.495 pixels, rounded to 12) is one
#   pixel narrower than the hinted 13 of GDI and of FreeType on the layer.
#   (Under fontconfig's full hinting chromium measures 13 too, but every
#   advance is then whole and the page's rounding goes untested.)
own_layer='^[^ ]+ window |^ColorScrDlg1 .* extent '
own_browser='^ColorScrDlg1 .* extent |^ColorScrDlg3 caption '

# Prints the facts of a table not compared, and its differences with Windows'
# ('<' Windows, '>' the table's); true when there are none.
same_as_windows() {
  local name=$1 table=$2 own=$3
  grep -E "$own" "$work/windows.txt" | sed "s/^/not compared, windows: /"
  grep -E "$own" "$table" | sed "s/^/not compared, $name: /"
  diff <(grep -Ev "$own" "$work/windows.txt") <(grep -Ev "$own" "$table") >"$work/differences-$name.txt" && return 0
  echo "layout: differences ('<' Windows under Wine, '>' $name):"
  grep -E '^[<>]' "$work/differences-$name.txt"
  return 1
}

# Windows' facts compared with a column's table.
compared() { grep -cvE "$1" "$work/windows.txt"; }
same_as_windows layer "$work/layer.txt" "$own_layer"
layer_ok=$?
if (( browser == 77 )); then
  (( layer_ok == 0 )) || exit 1
  echo "layout: the layer lays out $(compared "$own_layer") facts as Windows does; the browser's column is" \
    "$(cat "$work/browser.err")"
  exit 0
fi
same_as_windows browser "$work/browser.txt" "$own_browser" && (( layer_ok == 0 )) || exit 1
echo "layout: the layer and the browser lay out $(compared "$own_layer") and $(compared "$own_browser") facts as" \
  "Windows does"
