#!/usr/bin/env bash
# Builds quelvaro.exe for Windows into the given folder, from the same
# application sources against mingw-w64's real Windows headers, and checks
# what a Windows user would need: a GUI executable of the asked width that
# carries its dialog templates, icon and version, and asks only for system
# DLLs (the four the program calls among them). The 32-bit build, the one
# that ships, is then packed for users with cpack, as
# quelvaro-<version>-win32.zip in the folder's package/, and the zip checked.
#
#   tools/build-windows.sh [OUT] [ARCH]
#
# ARCH is i686 (the default) or x86_64 (the same program for 64-bit Windows,
# which the tests run under wine64; it is not packed).
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$src/build-windows}"
arch="${2:-i686}"
case "$arch" in
  i686) format='pei-i386' ;;
  x86_64) format='pei-x86-64' ;;
  *) echo "windows build: unknown architecture $arch (i686 or x86_64)"; exit 2 ;;
esac
tools="$arch-w64-mingw32"
# QUELVARO_WERROR=ON in the environment (./test.sh sets it) makes warnings errors.
cmake -S "$src" -B "$out" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-$arch.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQUELVARO_WERROR="${QUELVARO_WERROR:-OFF}" >/dev/null
cmake --build "$out" -j "$(nproc)"
out=$(cd "$out" && pwd)
exe="$out/quelvaro.exe"

fail() { echo "windows build ($arch): $*"; exit 1; }

"$tools-objdump" -f "$exe" | grep -q "file format $format\$" || fail "not a $format executable"
# Subsystem 2 is the Windows GUI: no console opens beside the window.
"$tools-objdump" -p "$exe" | grep -E '^Subsystem' | grep -q '00000002' || fail "not a GUI program"

# Imports: the program's four libraries, and nothing a plain Windows lacks.
dlls=$("$tools-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
for needed in opengl32.dll glu32.dll gdi32.dll user32.dll; do
  grep -qx "$needed" <<<"$dlls" || fail "does not import $needed (imports: $(echo $dlls))"
done
system_dlls='^(opengl32|glu32|gdi32|user32|kernel32|msvcrt|advapi32)\.dll$'
extra=$(grep -Ev "$system_dlls" <<<"$dlls" || true)
[[ -z "$extra" ]] || fail "needs DLLs a plain Windows lacks: $(echo $extra)"

# Resources: the three dialog templates by name (Windows keeps resource names
# in capitals) and the icon group 32512 (resource type 14).
resources=$("$tools-windres" -J coff -O rc -i "$exe") || fail "no resources"
for name in COLORSCRDLG COLORSCRDLG1 COLORSCRDLG3; do
  grep -Eq "^\"${name}\" DIALOG(EX)? " <<<"$resources" || fail "no dialog template $name"
done
grep -Eq '^32512 14 ' <<<"$resources" || fail "no icon 32512"

# The version block, as Windows shows it in the file's properties: the
# project's version (the one cpack names the package with).
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$out/CPackConfig.cmake")
[[ -n "$version" ]] || fail "no version in $out/CPackConfig.cmake"
for line in "1 VERSIONINFO" " FILEVERSION ${version//./, }, 0" " PRODUCTVERSION ${version//./, }, 0" \
    "      VALUE \"ProductName\", \"quelvaro\"" "      VALUE \"FileVersion\", \"$version\"" \
    "      VALUE \"ProductVersion\", \"$version\""; do
  grep -qxF "$line" <<<"$resources" || fail "the version resource lacks [$line]"
done
grep -Eq '^      VALUE "FileDescription", ".+"$' <<<"$resources" || fail "the version resource has no description"
if [[ "$arch" != i686 ]]; then
  echo "windows build ($arch): ok ($exe)"
  exit 0
fi

# The zip for users: the executable, its read-me and its licence, in one
# folder named like the zip, the texts with Windows line ends.
name="quelvaro-$version-win32"
(cd "$out" && cpack -G ZIP -B "$out/package" >"$out/package.log" 2>&1) || fail "cpack: $(tail -3 "$out/package.log")"
zip="$out/package/$name.zip"
[[ -f "$zip" ]] || fail "no $zip"
listing=$(cmake -E tar tf "$zip" | sort)
[[ "$listing" == "$name/LICENSE.txt"$'\n'"$name/README.txt"$'\n'"$name/quelvaro.exe" ]] || fail "the zip holds: $(echo $listing)"
unpacked="$out/package/unpacked"
rm -rf "$unpacked" && mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
i686-w64-mingw32-objdump -f "$unpacked/$name/quelvaro.exe" | grep -q 'file format pei-i386' ||
  fail "the zipped quelvaro.exe is not a 32-bit PE"
for text in README.txt LICENSE.txt; do
  [[ $(grep -c $'\r$' "$unpacked/$name/$text") == $(wc -l <"$unpacked/$name/$text") ]] || fail "$text lacks Windows line ends"
done
grep -q "^MIT License" "$unpacked/$name/LICENSE.txt" || fail "LICENSE.txt is not the MIT licence"
readme="$unpacked/$name/README.txt"
for needed in "quelvaro $version" SSE2 "Pentium 4" "Athlon 64" OpenGL; do
  grep -qF "$needed" "$readme" || fail "README.txt does not mention [$needed]"
done
echo "windows build ($arch): ok ($exe, $zip)"
