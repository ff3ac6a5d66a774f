#!/usr/bin/env bash
# Plays the same scenarios on the behaviour probe twice, on the Linux layer
# and under Wine's user32 (the same probe built for 64-bit Windows), each on
# its own Xvfb with openbox, with real input (xdotool) and the window manager
# (wmctrl, xprop), and compares the two message logs; every difference is
# printed. Usage:
#   compare_behaviour.sh LINUX_PROBE WORK_DIR [WINE_PREFIX]
# Skips (status 77) without wine64, the mingw-w64 x86_64 tools, Xvfb or the
# X tools.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
src="$(cd "$here/../.." && pwd)"
wine=/usr/lib/wine/wine64

# The scenarios, one step a line (see play_step). Targets: main:X,Y in the
# main window's client area; NAME.ID a control's centre, +DX,DY from it;
# NAME.ID/down, /thumb, /trough a scroll bar's lower arrow, its thumb and the
# trough below the thumb; "park" puts the pointer where no window is.
# BEHAVIOUR_SCENARIOS replaces them (to look at one alone).
scenarios='
note creating, showing and updating the window, an owned dialog from each template
cmd main
cmd dialog panel ColorScrDlg
cmd dialog options ColorScrDlg1
cmd dialog colours ColorScrDlg3
wm main panel options colours
cmd destroy options
activate main
note a click, and drags released inside and outside with the capture held
click 1 main:60,60
press 1 main:60,60
glide main:150,120
release 1
press 1 main:150,120
glide main:700,600
release 1
note the capture taken by minimising with a button held, the button released while minimised
press 3 main:100,100
minimise main
release 3
restore main
note the capture taken by minimising mid-drag, the button released after the restore
press 3 main:100,100
glide main:140,130
minimise main
wm panel colours
restore main
release 3
note a button clicked, pressed and released off it, clicked by space
click 1 panel.1047
press 1 panel.1047
glide panel.1047+90,0
release 1
key space
note the scroll bars: an arrow held, a page click, the thumb dragged
press 1 colours.1039/down
hold 0.8
release 1
click 1 colours.1039/trough
press 1 colours.1039/thumb
glide colours.1039/thumb+0,30
release 1
park
note minimise and restore with owned dialogs up
minimise main
wm panel colours
restore main
wm panel colours
note a timer running while messages are posted
cmd timer
note keys on the main window: letters, Alt combinations, Alt+F4
activate main
key a shift+b alt+x alt+shift+y
key alt+F4
exit
'
scenarios=${BEHAVIOUR_SCENARIOS:-$scenarios}

# ---- one side: the probe on its own display ----------------------------------
if [[ "${1:-}" == --play ]]; then
    work=$2
    shift 2
    probe=("$@")
    source "$src/tests/e2e/lib.sh"
    declare -A title=([main]='behaviour probe' [panel]='OPTIONS - SOFT BY OSTREVAN' [options]='OPCIONES '
        [colours]="FORM'S COLORS")
    declare -A xid=()

    # Carries out one more command in the probe and waits until it is done.
    sent=0
    tell() {
        echo "$*" >>commands.txt
        sent=$((sent + 1))
        e2e_retry 20 eval '[[ "$(cat done.txt 2>/dev/null)" == "$sent" ]]' || fail "the probe did not do: $*"
    }
    # Waits until the log has stopped growing: the input so far has come through.
    settle() {
        local last=-1 now
        for _ in $(seq 50); do
            now=$(stat -c %s messages.txt)
            [[ "$now" == "$last" ]] && return
            last=$now
            sleep 0.3
        done
    }
    # Finds the X windows of the names given (in this shell: they are kept).
    ensure() {
        local n
        for n in "$@"; do
            [[ -n "${xid[$n]:-}" ]] || xid[$n]=$(e2e_wait_window "^${title[$n]}\$" 20) || fail "no window $n"
        done
    }
    window() { echo "${xid[$1]}"; }
    # The name of the window with X id $1 (any base), or "other".
    name_of() {
        local n
        for n in "${!xid[@]}"; do ((xid[$n] == $1)) && { echo "$n"; return; }; done
        echo other
    }
    # Screen coordinates of a target.
    target() {
        local place=${1%%+*} off=0,0 x y w h a t b ox oy
        [[ "$1" == *+* ]] && off=${1#*+}
        case $place in
        main:*)
            read -r ox oy _ <<<"$(e2e_client_geometry "$(window main)")"
            IFS=, read -r x y <<<"${place#main:}"
            x=$((ox + x)) y=$((oy + y))
            ;;
        *)
            local control=${place%/*}
            read -r _ _ x y w h _ a _ t b <<<"$(grep "^@ $control " messages.txt)"
            read -r ox oy _ <<<"$(e2e_client_geometry "$(window "${control%%.*}")")"
            x=$((ox + x + w / 2)) y=$((oy + y + h / 2))
            case $place in
            */down) y=$((y - h / 2 + h - a / 2)) ;;
            */thumb) y=$((y - h / 2 + (t + b) / 2)) ;;
            */trough) y=$((y - h / 2 + (b + h - a) / 2)) ;;
            esac
            ;;
        esac
        echo $((x + ${off%,*})) $((y + ${off#*,}))
    }
    # What the window manager knows of a window: its state, its owner, its group.
    wm_facts() {
        local id state owner group
        id=$(window "$1")
        state=$(x xprop -id "$id" _NET_WM_STATE WM_STATE | grep -oE '_NET_WM_STATE_[A-Z_]+|window state: [A-Za-z]+' |
            sed 's/window state: /WM_STATE_/' | sort | tr '\n' ' ')
        owner=$(x xprop -id "$id" WM_TRANSIENT_FOR | grep -oE '0x[0-9a-f]+')
        group=$(x xprop -id "$id" WM_HINTS | sed -n 's/.*group leader: *//p')
        echo "wm $1: ${state}owner ${owner:+$(name_of "$owner")} group ${group:+$(name_of "$group")}"
    }
    play_step() {
        local verb=$1 arg=${2:-} place
        case $verb in
        activate | minimise | restore | wm) ensure $arg ;;
        click | press | glide) place=${arg##* } && ensure "${place%%[.:]*}" ;;
        esac
        case $verb in
        note) settle; tell "note $arg" ;;
        cmd) tell "$arg" ;;
        wm) settle; for n in $arg; do tell "note $(wm_facts "$n")"; done ;;
        activate) x wmctrl -i -a "$(window "$arg")"; e2e_wait_active "$(window "$arg")" ;;
        minimise)
            x xdotool windowminimize "$(window "$arg")"
            e2e_retry 10 eval 'x xprop -id "$(window "$arg")" WM_STATE | grep -q Iconic' || fail "$arg not minimised"
            ;;
        restore)
            x wmctrl -i -a "$(window "$arg")"
            e2e_retry 10 eval 'x xprop -id "$(window "$arg")" WM_STATE | grep -q Normal' || fail "$arg not restored"
            # Mapped again, not only marked Normal: a button released next
            # lands on the window under the pointer, not on the root.
            e2e_retry 10 eval 'x xwininfo -id "$(window "$arg")" | grep -q IsViewable' || fail "$arg not shown again"
            ;;
        # (mousemove --sync waits for ever when the pointer is already there)
        click) x xdotool mousemove $(target "${arg#* }") sleep 0.1 click "${arg%% *}" ;;
        press) x xdotool mousemove $(target "${arg#* }") sleep 0.1 mousedown "${arg%% *}" ;;
        glide)
            local x0 y0 x1 y1 i
            eval "$(x xdotool getmouselocation --shell)"
            x0=$X y0=$Y
            read -r x1 y1 <<<"$(target "$arg")"
            for i in 1 2 3 4 5 6 7 8; do x xdotool mousemove $((x0 + (x1 - x0) * i / 8)) $((y0 + (y1 - y0) * i / 8)); sleep 0.03; done
            ;;
        release) sleep 0.1; x xdotool mouseup "$arg" ;;
        hold) sleep "$arg" ;;
        park) x xdotool mousemove 1275 1015 ;;  # over no window: nothing shown again lies under it
        key) x xdotool key --delay 80 $arg ;;
        exit)
            settle
            e2e_retry 5 eval '! e2e_program_running' || { tell "note still open"; tell "destroy main"; }
            e2e_wait_exit 10 || fail "the probe did not end"
            ;;
        esac
    }

    cd "$work" && rm -f commands.txt done.txt messages.txt
    # Openbox's own Alt+F4 would close the window without the program seeing the keys.
    E2E_PROGRAM_ALT_F4=1
    e2e_start_display 24
    if [[ "${probe[0]}" == "$wine" ]]; then
        e2e_stop_extra() { timeout 10 /usr/lib/wine/wineserver -k >/dev/null 2>&1; }
        if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
            mkdir -p "$WINEPREFIX"
            timeout 120 "$wine" wineboot --init >wineboot.log 2>&1 && timeout 120 /usr/lib/wine/wineserver -w ||
                fail "no Wine prefix: $(tail -3 wineboot.log)"
        fi
    fi
    e2e_start_program "${probe[@]}"
    e2e_retry 60 test -f messages.txt || fail "the probe did not start"
    while read -r verb arg; do
        [[ -n "$verb" ]] && play_step "$verb" "$arg"
    done <<<"$scenarios"
    exit 0
fi

# ---- both sides, then the comparison ------------------------------------------
probe="$(realpath "$1")"
work="$(mkdir -p "$2" && cd "$2" && pwd)"
prefix="${3:-$work/wineprefix}"
[[ "$prefix" == /* ]] || prefix="$PWD/$prefix"
for tool in "$wine" x86_64-w64-mingw32-g++ x86_64-w64-mingw32-windres Xvfb openbox xdotool wmctrl xprop; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

exe="$work/behaviour_probe.exe"
source "$src/tests/support/windows_probe.sh"
windows_probe_build "$here/behaviour_probe.cpp" "$exe" || exit 1
mkdir -p "$work/windows" "$work/layer"
if [[ -z "${BEHAVIOUR_COMPARE_ONLY:-}" ]]; then  # set: compare the logs of the last run again
    WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        bash "$0" --play "$work/windows" "$wine" "$exe" || { echo "the scenarios failed under Wine"; exit 1; }
    bash "$0" --play "$work/layer" "$probe" || { echo "the scenarios failed on the layer"; exit 1; }
fi

# Compared: the messages the program handles and those the layer sends for
# what the scenarios do (focus, showing, keys and their default handling).
compared='WM_CREATE|WM_DESTROY|WM_SIZE|WM_PAINT|WM_CLOSE|WM_TIMER|WM_MOUSEMOVE|WM_[LR]BUTTON(DOWN|UP)|WM_CAPTURECHANGED|WM_INITDIALOG|WM_COMMAND|WM_VSCROLL|WM_SHOWWINDOW|WM_(SET|KILL)FOCUS|WM_(SYS)?KEY(DOWN|UP)|WM_(SYS)?CHAR|WM_SYSCOMMAND|WM_USER[+0-9]*'
# Differences that stay, each with its reason (sed expressions applied to both logs):
known=(
    # The main window's outer size holds openbox's frame on Linux and Wine's own under Wine.
    's/^(main WM_SIZE 0) [0-9a-f]+$/\1 (client size)/'
    # Without a compositor X forgets what another window covered and asks for
    # it again; Wine keeps each window's picture. Paints count in the timer's order only.
    '/^-- timer/,/^-- /!{/ WM_PAINT /d}'
    # Alt with a letter enters the system menu's loop, which holds the capture
    # a moment; the layer has no menus (the window menu is the window manager's).
    '/WM_SYSCOMMAND SC_KEYMENU/{n;/^main WM_CAPTURECHANGED 0 0$/d}'
)
# The window manager's focus and a restore come together, and both Wine and
# the layer pass them on in the order X delivered them, which varies: a
# focus just before the restore counts as coming after its WM_SIZE.
focus_after_restore='/^main WM_SETFOCUS 0 0$/ && !held { held = $0; next }
    held && /^main WM_SYSCOMMAND SC_RESTORE/ { restoring = 1; print; next }
    held && restoring && /^[a-z]+ WM_SHOWWINDOW 1/ { print; next }
    held && restoring && /^main WM_SIZE 0 / { print; print held; held = ""; restoring = 0; next }
    held { print held; held = ""; restoring = 0 }
    { print } END { if (held) print held }'
normalise() {
    tr -d '\r' <"$1" | grep -E "^-- |^[^ @]+ ($compared) " | sed -E "${known[@]/#/-e}" | awk "$focus_after_restore" |
        # Runs of one move, one thumb track, one repeated line: the last of each.
        awk '{ key = $2 == "WM_MOUSEMOVE" ? $1 " move" : $3 == "SB_THUMBTRACK" ? $1 " track " $5 : $0 }
             NR > 1 && key != last { print prev }
             { prev = $0; last = key }
             END { if (NR) print prev }'
}
for side in windows layer; do normalise "$work/$side/messages.txt" >"$work/$side.txt"; done
for side in windows layer; do
    echo "not compared, $side: $(tr -d '\r' <"$work/$side/messages.txt" | grep -vE "^-- |^@ |^[^ ]+ ($compared) " |
        awk '{ n[$2]++ } END { for (m in n) printf "%s %d, ", m, n[m] }')"
done
echo "known differences kept: $((${#known[@]} + 1))"
if diff "$work/windows.txt" "$work/layer.txt" >"$work/differences.txt"; then
    echo "behaviour: the layer gives $(grep -vc '^-- ' "$work/layer.txt") messages and" \
        "$(grep -c '^-- wm ' "$work/layer.txt") window-manager facts as Windows does"
    exit 0
fi
echo "behaviour: differences ('<' Windows under Wine, '>' the layer):"
diff -U2 "$work/windows.txt" "$work/layer.txt" | tail -n +3
exit 1
