# quelvaro_embedded_resources(VAR): the rule that embeds the resource script
# and the icon it names in a program (cmake/embed_files.cmake writes them out
# as C++ arrays), so that the layer reads the same templates windres compiles
# for Windows. VAR gets the path of the source it makes,
# embedded_resources.cpp in the current binary folder. Used by the Linux
# layer (platform/) and by the web tree (cmake/web.cmake).
function(quelvaro_embedded_resources var)
  set(files ${CMAKE_SOURCE_DIR}/res/quelvaro.rc ${CMAKE_SOURCE_DIR}/res/quelvaro.ico)
  set(cpp ${CMAKE_CURRENT_BINARY_DIR}/embedded_resources.cpp)
  string(REPLACE ";" "|" listed "${files}")
  add_custom_command(OUTPUT ${cpp}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${cpp} -DFILES=${listed} -P ${CMAKE_SOURCE_DIR}/cmake/embed_files.cmake
    DEPENDS ${files} ${CMAKE_SOURCE_DIR}/cmake/embed_files.cmake
    COMMENT "Embedding the resource script and icon" VERBATIM)
  set(${var} ${cpp} PARENT_SCOPE)
endfunction()
