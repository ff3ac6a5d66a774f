#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running, testing and packing
# quelvaro need: apt-get update once, then only what is missing. Uses sudo when not root.
#
#   install-deps.sh        everything ./test.sh needs
#   install-deps.sh run    only what building and running the program needs
#                          (./run.sh): no Windows tool chains, Wine or qemu,
#                          no emscripten or chromium
#
# The 32-bit executable that ships runs in the tests through qemu's user-mode
# emulator and 32-bit Wine, so this also adds the bookworm-backports suite (for
# qemu 10: Debian 12's qemu 7.2 cannot run 32-bit Wine) and the i386
# architecture, and registers qemu-i386 with binfmt_misc. Every step looks
# first and does nothing when it is done already.
set -euo pipefail

packages=(
  cmake g++ pkg-config
  libsdl2-dev libsdl2-ttf-dev libsdl2-image-dev libfontconfig-dev libx11-dev fonts-liberation
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri libglx-mesa0 libgles-dev libegl-dev libegl-mesa0
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool openbox wmctrl imagemagick x11-utils python3
)
# What only the tests need: the Windows builds and Wine, the package checks,
# apitrace (the frames' GL calls compared with a trace of them on Mesa), the
# web build (emscripten, its libraries prebuilt) and the headless browser its
# tests run in.
test_packages=(
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  dpkg-dev file desktop-file-utils appstream
  lintian man-db groff-base apitrace
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64
  emscripten chromium chromium-driver unzip
)
mode=${1:-all}
case $mode in
all) packages+=("${test_packages[@]}") ;;
run) ;;
*) echo "usage: $0 [run]" >&2; exit 2 ;;
esac

# 32-bit Wine and the 32-bit GL and X libraries it loads for the program.
i386_packages=(
  wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxinerama1:i386
  libxcomposite1:i386 libxfixes3:i386 libxxf86vm1:i386
)
backports=bookworm-backports
backports_list=/etc/apt/sources.list.d/$backports.sources
qemu=/usr/bin/qemu-i386-static
binfmt=/proc/sys/fs/binfmt_misc

# What is installed, as name:architecture, asked of dpkg once (one question a
# package takes seconds on a busy machine).
native=$(dpkg --print-architecture)
declare -A have=()
while read -r name status; do
  [[ "$status" == "install ok installed" ]] && have[$name]=1
done < <(dpkg-query -W -f='${Package}:${Architecture} ${Status}\n' 2>/dev/null || true)
# Whether the package is installed for the architecture its name asks for (the
# machine's own when it names none; one for all architectures counts too).
installed() {
  if [[ "$1" == *:* ]]; then [[ -n "${have[$1]:-}" ]]; else [[ -n "${have[$1:$native]:-}${have[$1:all]:-}" ]]; fi
}
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
missing_i386=()
need_qemu=0 has_backports=1 has_i386=1
if [[ $mode == all ]]; then
  for p in "${i386_packages[@]}"; do
    installed "$p" || missing_i386+=("$p")
  done
  # qemu-user-static counts as there only in the backports' version.
  qemu_version=$(dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null || true)
  installed qemu-user-static && [[ "$qemu_version" == *bpo* ]] || need_qemu=1
  has_backports=0
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [[ -f "$f" ]] && grep -Eq -- "^[^#]*(^|[[:space:]])$backports([[:space:]]|\$)" "$f" && has_backports=1
  done
  dpkg --print-foreign-architectures | grep -qx i386 || has_i386=0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 "$@"; }

if ((${#missing[@]} + ${#missing_i386[@]} + need_qemu > 0 || !has_backports || !has_i386)); then
  if ((!has_backports)); then
    # From the mirror apt already takes bookworm from (its sources as apt reads
    # them, lists downloaded or not).
    mirror=$(apt-get indextargets --no-release-info --format '$(SITE) $(RELEASE)' |
      awk '$2 == "bookworm" { print $1; exit }')
    [[ -n "$mirror" ]] || { echo "No apt source for bookworm to take $backports from"; exit 1; }
    echo "Adding the $backports suite from $mirror to apt's sources ($backports_list)"
    {
      printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\n' "$mirror" "$backports"
      keyring=/usr/share/keyrings/debian-archive-keyring.gpg
      if [[ -f $keyring ]]; then printf 'Signed-By: %s\n' "$keyring"; fi
    } | $sudo tee "$backports_list" >/dev/null
  fi
  if ((!has_i386)); then
    echo "Adding the i386 architecture to dpkg"
    $sudo dpkg --add-architecture i386
  fi
  echo "Updating apt's package lists"
  apt_get update -qq
  if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  if ((need_qemu)); then
    echo "Installing qemu-user-static from $backports"
    apt_get install -y -qq --no-install-recommends -t "$backports" qemu-user-static >/dev/null
  fi
  if ((${#missing_i386[@]} > 0)); then
    echo "Installing: ${missing_i386[*]}"
    apt_get install -y -qq --no-install-recommends "${missing_i386[@]}" >/dev/null
  fi
fi

# binfmt_misc hands i386 ELF files (magic 7f 'E' 'L' 'F', 32-bit, little
# endian, machine 3) to qemu. With the F flag the kernel opens the emulator
# once, at registration, and keeps that file: after qemu was upgraded the entry
# still runs the old one, so it is registered again. Without the privilege
# (a container), this says so and goes on; the 32-bit test then skips.
binfmt_fail() { echo "Cannot $1, so the 32-bit executable cannot run here (its test skips)"; exit 0; }
register_qemu_i386() {
  if [[ ! -e $binfmt/register ]]; then
    echo "Mounting binfmt_misc on $binfmt"
    $sudo mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || binfmt_fail "mount binfmt_misc"
  fi
  local entry=$binfmt/qemu-i386
  if [[ -e $entry ]]; then
    if grep -qx "interpreter $qemu" "$entry" && grep -qx 'flags: .*F.*' "$entry" && grep -qx enabled "$entry"; then
      # The emulator the entry holds tells its version when asked through
      # QEMU_VERSION; so does the one on disk.
      local held
      held=$(QEMU_VERSION=1 timeout 10 /lib/ld-linux.so.2 2>&1 | head -1 || true)
      [[ "$held" == "$("$qemu" -version | head -1)" ]] && return 0
      echo "Registering qemu-i386 with binfmt_misc again: it still runs an earlier qemu ($held)"
    else
      echo "Replacing the binfmt_misc entry qemu-i386 by $qemu with the F flag"
    fi
    echo -1 | $sudo tee "$entry" >/dev/null 2>&1 || binfmt_fail "write $entry"
  else
    echo "Registering $qemu with binfmt_misc for i386 ELF files"
  fi
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' |
    $sudo tee "$binfmt/register" >/dev/null 2>&1 || binfmt_fail "register qemu-i386 with binfmt_misc"
}
if [[ $mode == all ]]; then register_qemu_i386; fi
