# quelvaro built for 64-bit Windows, run under wine64 on Xvfb with openbox and
# checked as wine.sh says.
#
#   test_wine.sh QUELVARO_EXE WINE_PREFIX
#
# The prefix is made on the first run (it takes a few seconds, more on a busy
# machine, and more again where 32-bit Wine is installed: a 64-bit prefix then
# sets up its 32-bit side too) and kept for the next ones.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/panel.sh"
source "$(dirname "$0")/wine.sh"
exe=$1
WINE=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
export WINEPREFIX=$2

# Waits: a prefix is made once, and the first start in it loads every DLL cold.
PREFIX_SECS=150
START_SECS=40
STEP_SECS=10
MOVE_GAP=0.5
EXIT_SECS=20

[[ -x "$WINE" ]] || fail "no wine64 at $WINE (tools/install-deps.sh installs wine64)"
[[ -f "$exe" ]] || fail "no Windows executable at $exe"

e2e_start_display 24
wine_make_prefix
wine_check_run "$exe"
