# platform/web/web.cmake: what the browser backend adds to the web tree
# (cmake/web.cmake includes it once the program's target, quelvaro, is made):
# the page services' smoke program.
#
# Left out: the sources and link options of programs on the layer
# (cmake/web.cmake globs platform/web/*.cpp, links each platform/web/*.js as a
# library and says why static data starts at 64 KiB) and the shell page
# (tools/web/).

# ASYNCIFY's stack keeps its default of 4 KiB: the deepest wait, the error box
# of a start without WebGL (a MessageBoxA inside WM_CREATE), saves 336 bytes
# of the program's stack there, a frame's wait 236 (read from the page while
# the program waited).

# The page's services alone (web_dom.h, without the core), in a small program
# of their own that the browser test browser.dom drives
# (tests/browser/test_dom.py): dom_smoke.html, .js and .wasm, on the
# program's page.
set(QUELVARO_WEB_DOM_JS ${CMAKE_SOURCE_DIR}/platform/web/web_dom.js)
set(QUELVARO_WEB_SHELL ${CMAKE_SOURCE_DIR}/tools/web/quelvaro.html)
add_executable(dom_smoke ${CMAKE_SOURCE_DIR}/tests/browser/dom_smoke.cpp ${CMAKE_SOURCE_DIR}/platform/web/web_dom.cpp)
set_target_properties(dom_smoke PROPERTIES SUFFIX ".html" LINK_DEPENDS "${QUELVARO_WEB_DOM_JS};${QUELVARO_WEB_SHELL}")
target_include_directories(dom_smoke PRIVATE ${CMAKE_SOURCE_DIR}/platform)
target_link_options(dom_smoke PRIVATE "SHELL:--shell-file ${QUELVARO_WEB_SHELL}" "SHELL:--js-library ${QUELVARO_WEB_DOM_JS}"
  -sMINIFY_HTML=0 -sENVIRONMENT=web -sASYNCIFY -sALLOW_MEMORY_GROWTH=1)
