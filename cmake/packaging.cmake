# Installing and packing quelvaro.
#
# Linux: `cmake --install` puts the program, its desktop entry, its icon in
# the hicolor theme, its AppStream metainfo, its manual page and its copyright
# and changelog under the prefix, and `cpack -G DEB` packs the same files, with
# lintian's overrides, as quelvaro_<version>_<arch>.deb.
# Windows (the mingw-w64 tree): `cpack -G ZIP` packs quelvaro.exe with a short
# read-me and the licence as quelvaro-<version>-win32.zip.
#
# Installing copies what is built and builds nothing (CMAKE_SKIP_INSTALL_ALL_DEPENDENCY):
# building the program is enough, the test suites and benchmarks need not be.

set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

# The version block of the resource script says the project's version, for
# Windows to show; a release that changes one changes both.
file(READ ${CMAKE_SOURCE_DIR}/res/quelvaro.rc QUELVARO_RC_TEXT)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/quelvaro.rc)
string(REPLACE "." ", " QUELVARO_RC_FILEVERSION "FILEVERSION ${PROJECT_VERSION}, 0")
foreach(expected "${QUELVARO_RC_FILEVERSION}" "VALUE \"FileVersion\", \"${PROJECT_VERSION}\"")
  string(FIND "${QUELVARO_RC_TEXT}" "${expected}" found)
  if(found LESS 0)
    message(FATAL_ERROR "res/quelvaro.rc does not say '${expected}': its version block "
                        "must match the project's version, ${PROJECT_VERSION}")
  endif()
endforeach()

set(CPACK_PACKAGE_NAME quelvaro)
set(CPACK_PACKAGE_VENDOR "Ostrevan")
set(QUELVARO_CONTACT "quelvaro maintainers <maintainers@quelvaro.invalid>")
set(CPACK_PACKAGE_CONTACT "${QUELVARO_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lighting that ripples across a sheet in travelling waves")
set(CPACK_PACKAGE_DESCRIPTION "An OpenGL demonstration: a flat sheet lit by seven lights whose
lighting runs across it in travelling waves. The left mouse button turns the
scene like a trackball, the right one moves the main light, and a control
panel picks the wave.")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
# Folders as Debian wants them whatever the umask of whoever installs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  install(TARGETS quelvaro RUNTIME DESTINATION .)
  configure_file(${CMAKE_SOURCE_DIR}/res/windows/README.txt.in ${CMAKE_BINARY_DIR}/README.txt NEWLINE_STYLE DOS)
  configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE DOS)
  install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME quelvaro-${PROJECT_VERSION}-win32)
else()
  include(GNUInstallDirs)
  set(QUELVARO_APP_ID org.quelvaro.Quelvaro)
  install(TARGETS quelvaro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/res/linux/${QUELVARO_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/res/linux/${QUELVARO_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The hicolor icons, drawn from the program's own 32 x 32 icon: averaged
  # down to 16, pixels repeated (nearest neighbour) up to the larger sizes.
  # No dates in the files, so a rebuild gives the same bytes.
  find_program(QUELVARO_CONVERT NAMES convert REQUIRED)
  set(QUELVARO_ICON ${CMAKE_SOURCE_DIR}/res/quelvaro.ico)
  set(QUELVARO_ICON_PNGS "")
  foreach(size 16 24 32 48 64 128 256)
    set(dir ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps)
    set(png ${dir}/${QUELVARO_APP_ID}.png)
    if(size LESS 32)
      set(scale -scale ${size}x${size})
    else()
      set(scale -filter point -resize ${size}x${size})
    endif()
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND ${QUELVARO_CONVERT} ${QUELVARO_ICON} ${scale} -strip -define png:exclude-chunks=date,time
              PNG32:${png}
      DEPENDS ${QUELVARO_ICON} VERBATIM)
    list(APPEND QUELVARO_ICON_PNGS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(quelvaro_icons DEPENDS ${QUELVARO_ICON_PNGS})
  add_dependencies(quelvaro quelvaro_icons)

  # The manual page and the changelog, compressed as Debian's tools do it
  # (gzip -9n: no name, no date, so a rebuild gives the same bytes), and the
  # copyright in Debian's machine-readable format, beside the changelog.
  find_program(QUELVARO_GZIP NAMES gzip REQUIRED)
  configure_file(${CMAKE_SOURCE_DIR}/res/linux/quelvaro.1.in ${CMAKE_BINARY_DIR}/doc/quelvaro.1 @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/CHANGELOG ${CMAKE_BINARY_DIR}/doc/changelog COPYONLY)
  set(QUELVARO_DOCS_GZ "")
  foreach(doc quelvaro.1 changelog)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/${doc}.gz
      COMMAND ${QUELVARO_GZIP} -9nkf ${CMAKE_BINARY_DIR}/doc/${doc}
      DEPENDS ${CMAKE_BINARY_DIR}/doc/${doc} VERBATIM)
    list(APPEND QUELVARO_DOCS_GZ ${CMAKE_BINARY_DIR}/doc/${doc}.gz)
  endforeach()
  add_custom_target(quelvaro_docs DEPENDS ${QUELVARO_DOCS_GZ})
  add_dependencies(quelvaro quelvaro_docs)
  install(FILES ${CMAKE_BINARY_DIR}/doc/quelvaro.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_SOURCE_DIR}/res/linux/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # What lintian is told to let pass, with the reasons, goes in the package
  # only: a component that a plain `cmake --install` leaves out and that
  # cpack packs with the rest into the one .deb.
  install(FILES ${CMAKE_SOURCE_DIR}/res/linux/quelvaro.lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME quelvaro
          COMPONENT debian EXCLUDE_FROM_ALL)
  set(CPACK_COMPONENTS_ALL Unspecified debian)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  # The libraries the program links come from dpkg-shlibdeps. It cannot see
  # two needs: SDL opens libGL.so.1 at run time to make the OpenGL context,
  # and the dialogs ask for Arial and Arial Black, whose metric twins are the
  # Liberation fonts.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, libgl1")
endif()

include(CPack)
