# The web build: what of quelvaro runs in a browser, built with emscripten
# (cmake/emscripten.cmake; tools/build-web.sh configures and builds it).
#
#   quelvaro_webgl  the GL 1.1 subset on WebGL 1, with the loader of
#                   emscripten's WebGL calls (platform/webgl/gl11_emscripten.cpp)
#   render_frame    render_frame.html/.js/.wasm: the frame's cases on a WebGL
#                   canvas (tools/web/render_frame.cpp), for the browser tests
#   quelvaro        quelvaro.html/.js/.wasm: the program, built from the same
#                   application sources with the layer's core and its web
#                   backend once platform/web/ holds the backend (see below)
#   layout_probe    layout_probe.html/.js/.wasm: tests/layout's probe on the
#                   same layer, for the browser's column of layout.windows
#
# Left out: SDL, the native test suites and benchmarks (the browser tests run
# from the native tree's ctest, against this tree), the .deb and the Windows
# zip. `cpack -G ZIP` here packs quelvaro-<version>-web.zip: the program's
# three files, a read-me and the licence.

# The subset and its loader; it needs no GL library of its own (the link
# brings emscripten's WebGL functions).
file(GLOB QUELVARO_WEBGL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/webgl/*.cpp)
add_library(quelvaro_webgl STATIC ${QUELVARO_WEBGL_SOURCES})
target_include_directories(quelvaro_webgl PUBLIC ${CMAKE_SOURCE_DIR}/platform)

# The frame's code, shared by the frame renderer and the program.
file(GLOB QUELVARO_FRAME_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/render/*.cpp
  ${CMAKE_SOURCE_DIR}/surfaces/*.cpp)

# Makes target a page: TARGET.html from the shell page given, beside its .js
# and .wasm. The pages are for browsers only, and the shell's HTML is kept as
# written (Debian's emscripten cannot minify it).
function(quelvaro_web_page target shell)
  set_target_properties(${target} PROPERTIES SUFFIX ".html" LINK_DEPENDS ${shell})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/platform/include)
  target_link_libraries(${target} PRIVATE quelvaro_webgl)
  target_link_options(${target} PRIVATE "SHELL:--shell-file ${shell}" -sMINIFY_HTML=0 -sENVIRONMENT=web)
endfunction()

add_executable(render_frame ${CMAKE_SOURCE_DIR}/tools/web/render_frame.cpp ${QUELVARO_FRAME_SOURCES}
  ${CMAKE_SOURCE_DIR}/tests/support/start_scene.cpp ${CMAKE_SOURCE_DIR}/tests/support/frame_cases.cpp)
target_include_directories(render_frame PRIVATE ${CMAKE_SOURCE_DIR}/tests)
quelvaro_web_page(render_frame ${CMAKE_SOURCE_DIR}/tools/web/render_frame.html)

# ---- The program ---------------------------------------------------------------
#
# Built when platform/web/ holds the web backend's sources: the application
# (app/, render/, surfaces/, ui/), the layer's shared core (platform/core/), the
# backend (platform/web/*.cpp, and each platform/web/*.js as a --js-library)
# and the resource script and icon embedded as on Linux. The program's loop
# runs as written: -sASYNCIFY lets it wait for the browser's next event or
# frame. A backend that needs more link options sets them in
# platform/web/web.cmake, included here after the target is made.
file(GLOB QUELVARO_WEB_BACKEND_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/web/*.cpp)
if(QUELVARO_WEB_BACKEND_SOURCES)
  file(GLOB QUELVARO_WEB_BACKEND_LIBRARIES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/web/*.js)
  file(GLOB QUELVARO_LAYER_CORE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/core/*.cpp)
  file(GLOB QUELVARO_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/*.cpp ${CMAKE_SOURCE_DIR}/ui/*.cpp)

  # main(), which starts the layer and calls WinMain, is the program's: a
  # probe on the layer has its own.
  list(REMOVE_ITEM QUELVARO_WEB_BACKEND_SOURCES ${CMAKE_SOURCE_DIR}/platform/web/web_main.cpp)

  include(${CMAKE_SOURCE_DIR}/cmake/embedded_resources.cmake)
  quelvaro_embedded_resources(QUELVARO_EMBEDDED_CPP)

  # The layer in the page, compiled once for every program on it: the core,
  # the backend and the embedded resources.
  add_library(quelvaro_web_layer OBJECT ${QUELVARO_LAYER_CORE_SOURCES} ${QUELVARO_WEB_BACKEND_SOURCES}
    ${QUELVARO_EMBEDDED_CPP})
  target_include_directories(quelvaro_web_layer PUBLIC ${CMAKE_SOURCE_DIR}/platform/include
    PRIVATE ${CMAKE_SOURCE_DIR}/platform ${CMAKE_SOURCE_DIR}/platform/core)

  # Makes target a program on the layer in a page (see quelvaro_web_page),
  # linked as the program is. Static strings start above 64 KiB
  # (-sGLOBAL_BASE), so that no string's address reads as a MAKEINTRESOURCE
  # number, which the layer tells from a name by its being below 65536
  # (emscripten lays data out from 1 KiB; where a name lands depends on what
  # is linked before it, so the option is what makes it hold for every build).
  function(quelvaro_web_layer_program target shell)
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:quelvaro_web_layer>)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/platform)
    quelvaro_web_page(${target} ${shell})
    target_link_options(${target} PRIVATE -sASYNCIFY -sALLOW_MEMORY_GROWTH=1 -sGLOBAL_BASE=65536)
    foreach(library ${QUELVARO_WEB_BACKEND_LIBRARIES})
      target_link_options(${target} PRIVATE "SHELL:--js-library ${library}")
      set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${library})
    endforeach()
  endfunction()

  add_executable(quelvaro ${QUELVARO_APP_SOURCES} ${QUELVARO_FRAME_SOURCES}
    ${CMAKE_SOURCE_DIR}/platform/web/web_main.cpp)
  quelvaro_web_layer_program(quelvaro ${CMAKE_SOURCE_DIR}/tools/web/quelvaro.html)
  include(${CMAKE_SOURCE_DIR}/platform/web/web.cmake OPTIONAL)

  # quelvaro-<version>-web.zip: the files a web server serves, the read-me
  # and the licence, at the top of the zip.
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
  configure_file(${CMAKE_SOURCE_DIR}/tools/web/README.txt.in ${CMAKE_BINARY_DIR}/README.txt @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/quelvaro.html ${CMAKE_BINARY_DIR}/quelvaro.js ${CMAKE_BINARY_DIR}/quelvaro.wasm
    ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION .)
  set(CPACK_PACKAGE_NAME quelvaro)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME quelvaro-${PROJECT_VERSION}-web)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  include(CPack)
endif()

# ---- The layout probe ------------------------------------------------------------
#
# tests/layout/layout_probe.cpp on the layer in the page, for the browser's
# column of the layout comparison (tests/layout/compare_layout.sh). It has its
# own main(); its page (the program's) keeps the lines it prints in
# quelvaroLog, and its exit status, once main() has returned, in
# quelvaroExitStatus (the runtime exits with main(), as a probe should).
if(QUELVARO_WEB_BACKEND_SOURCES)
  add_executable(layout_probe ${CMAKE_SOURCE_DIR}/tests/layout/layout_probe.cpp)
  quelvaro_web_layer_program(layout_probe ${CMAKE_SOURCE_DIR}/tools/web/quelvaro.html)
  target_link_options(layout_probe PRIVATE -sEXIT_RUNTIME=1)
endif()
