# Cross-compiling quelvaro for the browser (WebAssembly, WebGL 1) with
# Debian's emscripten 3.1.6, through the CMake platform file it ships.
#
# Debian's emscripten keeps its system libraries prebuilt in a frozen,
# read-only cache (/usr/share/emscripten/cache): a build compiles nothing of
# emscripten's and downloads nothing. A flag that would need a library the
# cache lacks (an emscripten port such as -sUSE_SDL=2) fails the link instead.
#
# emcc runs node at link time, and with optimisation it needs node modules
# (acorn) that Debian keeps in /usr/share/nodejs, where the machine's node may
# not look: every link is run with NODE_PATH set, so the build tree works from
# any shell, not only from tools/build-web.sh.
set(QUELVARO_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "Debian's emscripten")
set(QUELVARO_NODE_PATH /usr/share/nodejs CACHE PATH "Where Debian's node modules are")

if(NOT EXISTS ${QUELVARO_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)
  message(FATAL_ERROR "No emscripten in ${QUELVARO_EMSCRIPTEN_ROOT}: install Debian's package "
                      "(tools/install-deps.sh does)")
endif()
if(DEFINED ENV{EM_FROZEN_CACHE} OR DEFINED ENV{EM_CACHE})
  message(WARNING "EM_CACHE or EM_FROZEN_CACHE is set: emscripten may build its libraries "
                  "into a cache of its own instead of using Debian's prebuilt ones")
endif()

set(ENV{NODE_PATH} ${QUELVARO_NODE_PATH})
include(${QUELVARO_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${QUELVARO_NODE_PATH})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${QUELVARO_NODE_PATH})
