#!/usr/bin/env bash
# Builds quelvaro.exe for 32-bit Windows into the given folder, from the same
# application sources against mingw-w64's real Windows headers, and checks
# what a Windows user would need: a 32-bit GUI executable that carries its
# dialog templates and icon, and asks only for system DLLs (the four the
# program calls among them).
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$src/build-windows}"
cmake -S "$src" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out" -j "$(nproc)"
exe="$out/quelvaro.exe"

fail() { echo "windows build: $*"; exit 1; }

i686-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-i386' || fail "not a 32-bit PE"
# Subsystem 2 is the Windows GUI: no console opens beside the window.
i686-w64-mingw32-objdump -p "$exe" | grep -E '^Subsystem' | grep -q '00000002' || fail "not a GUI program"

# Imports: the program's four libraries, and nothing a plain Windows lacks.
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
for needed in opengl32.dll glu32.dll gdi32.dll user32.dll; do
  grep -qx "$needed" <<<"$dlls" || fail "does not import $needed (imports: $(echo $dlls))"
done
system_dlls='^(opengl32|glu32|gdi32|user32|kernel32|msvcrt|advapi32)\.dll$'
extra=$(grep -Ev "$system_dlls" <<<"$dlls" || true)
[[ -z "$extra" ]] || fail "needs DLLs a plain Windows lacks: $(echo $extra)"

# Resources: the three dialog templates by name (Windows keeps resource names
# in capitals) and the icon group 32512 (resource type 14).
resources=$(i686-w64-mingw32-windres -J coff -O rc -i "$exe") || fail "no resources"
for name in COLORSCRDLG COLORSCRDLG1 COLORSCRDLG3; do
  grep -Eq "^\"${name}\" DIALOG(EX)? " <<<"$resources" || fail "no dialog template $name"
done
grep -Eq '^32512 14 ' <<<"$resources" || fail "no icon 32512"
echo "windows build: ok ($exe)"
