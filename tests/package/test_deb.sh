# The Debian package as a user gets it: cpack makes it from the build tree;
# its declared dependencies, its files and its desktop metadata are checked,
# and lintian, Debian's own checker, finds no error and no warning in it;
# then it is unpacked into a scratch folder, far from the build tree, and the
# unpacked program runs on a virtual display until its main window is closed.
# `cmake --install` with a prefix must install the same files, less lintian's
# overrides.
source "$(dirname "$0")/../e2e/lib.sh"
build=$(cd "$1" && pwd)
version=1.0.0
app_id=org.quelvaro.Quelvaro

# --- the package ---------------------------------------------------------------

deb="$E2E_TMP/pack/quelvaro_${version}_$(dpkg --print-architecture).deb"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$E2E_TMP/pack" >"$E2E_TMP/cpack.log" 2>&1 ||
    fail "cpack failed: $(tail -5 "$E2E_TMP/cpack.log")"
[[ -f "$deb" ]] || fail "no $(basename "$deb"); made: $(ls "$E2E_TMP/pack")"
check "cpack made $(basename "$deb")"

# lintian takes a while: it runs beside the rest and is heard at the end.
lintian --fail-on error,warning "$deb" >"$E2E_TMP/lintian.log" 2>&1 &
lintian_pid=$!
e2e_stop_extra() { e2e_stop_pid "$lintian_pid"; }

field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package) $(field Version)" == "quelvaro $version" ]] ||
    fail "package [$(field Package)] version [$(field Version)]"

# Depends, one alternative group a line. Each row: a package that must be one
# alternative of a group, and whether that group carries a version, which
# only dpkg-shlibdeps writes (a library found in the program's ELF needs).
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//')
note "Depends: $(field Depends)"
while read -r name versioned; do
    group=$(awk -v n="$name" '{ s = $0; gsub(/\([^)]*\)/, "", s); k = split(s, alt, /[ |]+/)
        for (i = 1; i <= k; i++) if (alt[i] == n) { print; exit } }' <<<"$depends")
    [[ -n "$group" ]] || fail "no dependency on $name"
    if [[ $versioned == yes ]]; then
        [[ "$group" == *"(>= "* ]] || fail "dependency [$group] has no version: not computed"
    fi
    check "depends on [$group]"
done <<'EOF'
libc6 yes
libstdc++6 yes
libsdl2-2.0-0 yes
libsdl2-ttf-2.0-0 yes
libfontconfig1 yes
libx11-6 no
libopengl0 no
libglu1-mesa no
libgl1 no
fonts-liberation no
EOF

# Every file the package holds, folders left out, against the expected list.
expected_files() {
    echo "/usr/bin/quelvaro"
    echo "/usr/share/doc/quelvaro/changelog.gz"
    echo "/usr/share/doc/quelvaro/copyright"
    echo "/usr/share/man/man1/quelvaro.1.gz"
    echo "/usr/share/applications/$app_id.desktop"
    echo "/usr/share/metainfo/$app_id.metainfo.xml"
    for size in 16 24 32 48 64 128 256; do
        echo "/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    done
}
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort)
want=$(expected_files | sort)
want_deb=$(sort <<<"$want"$'\n'/usr/share/lintian/overrides/quelvaro)
[[ "$files" == "$want_deb" ]] || fail "files differ from the expected list:
$(diff <(echo "$want_deb") <(echo "$files"))"
check "holds the $(wc -l <<<"$files") expected files"

# --- what the desktop sees -----------------------------------------------------

root="$E2E_TMP/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb could not unpack the package"
desktop="$root/usr/share/applications/$app_id.desktop"
metainfo="$root/usr/share/metainfo/$app_id.metainfo.xml"
out=$(desktop-file-validate "$desktop" 2>&1) && [[ -z "$out" ]] || fail "desktop-file-validate: $out"
check "the desktop entry passes desktop-file-validate"
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
check "the metainfo passes appstreamcli validate --no-net"

entry() { sed -n "s/^$1=//p" "$desktop"; }
[[ "$(entry Exec)" == quelvaro && -x "$root/usr/bin/$(entry Exec)" ]] || fail "Exec=$(entry Exec) is not the program"
[[ "$(entry Icon)" == "$app_id" ]] || fail "Icon=$(entry Icon), expected $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $app_id.desktop"
check "Exec, Icon and the launchable name the installed files"

# Each icon is as large as its folder says, with a transparent surround.
for png in "$root"/usr/share/icons/hicolor/*/apps/"$app_id.png"; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    got=$(identify -format '%wx%h %[channels] %[pixel:p{0,0}]' "$png")
    [[ "$got" == "$size srgba srgba(0,0,0,0)" ]] || fail "icon $size: $got"
done
check "icons at $(ls "$root/usr/share/icons/hicolor" | sort -n | tr '\n' ' ')with a transparent surround"

# --- cmake --install ------------------------------------------------------------

prefix="$E2E_TMP/prefix"
cmake --install "$build" --prefix "$prefix" >"$E2E_TMP/install.log" 2>&1 ||
    fail "cmake --install failed: $(tail -5 "$E2E_TMP/install.log")"
installed=$(cd "$prefix" && find . -type f | sed 's/^\./\/usr/' | sort)
[[ "$installed" == "$want" ]] || fail "cmake --install put other files:
$(diff <(echo "$want") <(echo "$installed"))"
check "cmake --install --prefix installs the same files"

# --- the unpacked program ---------------------------------------------------------

# Started from the root folder, so nothing of the build tree or the sources
# is near it.
cd /
e2e_start_quelvaro "$root/usr/bin/quelvaro"
e2e_wait_drawn "$(e2e_client_geometry "$main")" 15
check "the unpacked program shows its main window, its panel and a picture"
# Docks and task bars match a window to its desktop entry by its class.
class=$(x xprop -id "$main" WM_CLASS | sed -n 's/.*= "\([^"]*\)", "\([^"]*\)"$/\2/p')
[[ "$class" == "$(entry StartupWMClass)" ]] || fail "window class [$class], the entry says [$(entry StartupWMClass)]"
check "the main window's class is the entry's StartupWMClass, $class"
e2e_close "$main" || fail "wmctrl could not ask the window to close"
e2e_wait_exit 10 || fail "still running 10 s after the close request"
[[ "$E2E_STATUS" == 0 ]] || fail "exit status $E2E_STATUS after a close, expected 0"
[[ ! -s "$E2E_TMP/prog.err" ]] || fail "stderr not empty: $(head -5 "$E2E_TMP/prog.err")"
check "closed through the window manager: exit status 0, nothing on stderr"

# --- Debian's checker -------------------------------------------------------------

wait "$lintian_pid" || fail "lintian finds errors or warnings:
$(grep -v '^running with root' "$E2E_TMP/lintian.log")"
check "lintian reports no error and no warning"
