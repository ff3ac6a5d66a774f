# The 32-bit quelvaro.exe that ships, exactly as the zip holds it, run under
# 32-bit Wine through qemu's user-mode emulator (the kernel here runs no 32-bit
# code; binfmt_misc hands i386 programs to qemu-i386) and checked as wine.sh
# says, with deadlines for emulation.
#
#   test_wine32.sh PACKAGE_DIR WINE_PREFIX
#
# PACKAGE_DIR holds quelvaro-<version>-win32.zip (tools/build-windows.sh makes
# it); the zip is unpacked into the scratch folder. The 32-bit prefix is made
# on the first run and kept. tools/install-deps.sh installs qemu and 32-bit
# Wine and registers qemu-i386; the test skips (status 77) only where
# binfmt_misc can be neither mounted nor written.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/panel.sh"
source "$(dirname "$0")/wine.sh"
package_dir=$1
WINE=/usr/bin/wine
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX=$2 WINEARCH=win32

# Waits: everything 32-bit runs emulated, the wineserver aside.
PREFIX_SECS=240
START_SECS=90
STEP_SECS=20
MOVE_GAP=1
EXIT_SECS=20

binfmt=/proc/sys/fs/binfmt_misc

# Prints why binfmt_misc can be neither mounted nor written here, or fails
# (status 1) when it can.
binfmt_locked() {
    local as_root=()
    ((EUID == 0)) || as_root=(sudo -n)
    if [[ -e "$binfmt/register" ]]; then
        "${as_root[@]}" test -w "$binfmt/register" 2>/dev/null && return 1
        echo "$binfmt/register cannot be written (read-only, or no root)"
    elif (($(awk '/^CapBnd:/ { print "0x" $2 }' /proc/self/status) >> 21 & 1)); then
        return 1
    else
        echo "binfmt_misc is not mounted and cannot be (no CAP_SYS_ADMIN)"
    fi
}

if ! grep -qx enabled "$binfmt/qemu-i386" 2>/dev/null; then
    if reason=$(binfmt_locked); then
        echo "skipped: qemu-i386 cannot be registered with binfmt_misc: $reason"
        exit 77
    fi
    fail "qemu-i386 is not registered with binfmt_misc (tools/install-deps.sh registers it)"
fi
[[ -x /usr/lib/wine/wine ]] || fail "no 32-bit Wine (tools/install-deps.sh installs wine32:i386)"
# The emulator binfmt_misc holds tells its version when asked through QEMU_VERSION.
held=$(QEMU_VERSION=1 timeout 10 /usr/lib/wine/wine 2>&1 | head -1)
[[ "$held" == "$(/usr/bin/qemu-i386-static -version | head -1)" ]] ||
    fail "binfmt_misc runs i386 programs with [$held], not the qemu installed (tools/install-deps.sh registers it again)"
note "$held runs the i386 programs"

zips=("$package_dir"/quelvaro-*-win32.zip)
[[ ${#zips[@]} == 1 && -f "${zips[0]}" ]] || fail "not one zip in $package_dir: ${zips[*]}"
mkdir -p "$E2E_TMP/unzipped"
zip=$(realpath "${zips[0]}")
(cd "$E2E_TMP/unzipped" && cmake -E tar xf "$zip") || fail "cannot unpack ${zips[0]}"
exe=$(basename "${zips[0]}" .zip)/quelvaro.exe
[[ -f "$E2E_TMP/unzipped/$exe" ]] || fail "no $exe in ${zips[0]}"

e2e_start_display 24
wine_make_prefix
wine_check_run "$E2E_TMP/unzipped/$exe"
