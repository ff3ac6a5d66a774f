# windows_probe.sh: builds a probe program for 64-bit Windows with the
# program's own resources, for the comparisons with Wine's user32. Source it
# with $src set to the source tree.
#   windows_probe_build SOURCE EXE   (re)builds EXE when it is older than
#                                    SOURCE or the resource script
windows_probe_build() {
    local source=$1 exe=$2
    [[ -f "$exe" && ! "$exe" -ot "$source" && ! "$exe" -ot "$src/res/quelvaro.rc" ]] && return 0
    local res="${exe%.exe}_res.o"
    x86_64-w64-mingw32-windres -I"$src/res" "$src/res/quelvaro.rc" -O coff -o "$res" &&
        x86_64-w64-mingw32-g++ -O1 -Wall -Wextra -Werror -o "$exe" "$source" "$res" \
            -static-libgcc -static-libstdc++ -luser32 -lgdi32
}
