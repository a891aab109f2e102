# What `cmake --install` puts where, as a Linux desktop expects it:
#   bin/RegillaMobile                                  the program
#   lib/RegillaMobile/RegillaMobile-window.so          its device window (the
#                                                      program looks there, ../lib beside itself)
#   share/applications/RegillaMobile.desktop           the menu entry
#   share/icons/hicolor/<size>/apps/regillamobile.*    the program's icon 129
#   share/metainfo/<id>.metainfo.xml                   AppStream (software centres)
#   share/man/man1/RegillaMobile.1.gz                  the manual, from --help
#   share/doc/regillamobile/{copyright,changelog.gz}   as a Debian package needs them

set(REGILLA_HOMEPAGE "https://github.com/regillawm/RegillaMobile"
    CACHE STRING "The project's home page (AppStream, Debian package)")
set(REGILLA_APP_ID "io.github.regillawm.RegillaMobile"
    CACHE STRING "The AppStream component id (reverse DNS of the home page)")
set(REGILLA_SCREENSHOTS "https://raw.githubusercontent.com/regillawm/RegillaMobile/main/docs/screenshots"
    CACHE STRING "Where the AppStream screenshots (docs/screenshots) are published")

set(regilla_dist ${PROJECT_BINARY_DIR}/dist)

install(TARGETS RegillaMobile RUNTIME DESTINATION bin)
if(TARGET RegillaMobile-window)
  install(TARGETS RegillaMobile-window LIBRARY DESTINATION lib/RegillaMobile)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/res/RegillaMobile.desktop DESTINATION share/applications)

# The icon, drawn from the program's own resources at build time.
if(TARGET regilla_icons)
  set(regilla_icon_files)
  foreach(size 16x16 32x32 48x48 256x256)
    list(APPEND regilla_icon_files ${regilla_dist}/icons/hicolor/${size}/apps/regillamobile.png)
  endforeach()
  list(APPEND regilla_icon_files ${regilla_dist}/icons/hicolor/scalable/apps/regillamobile.svg)
  add_custom_command(
    OUTPUT ${regilla_icon_files}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:regilla_icons> ${regilla_dist}/icons
    DEPENDS regilla_icons ${PROJECT_SOURCE_DIR}/res/icon129.ico
    COMMENT "Drawing the desktop icons from icon 129")
  add_custom_target(regilla_desktop_icons ALL DEPENDS ${regilla_icon_files})
  install(DIRECTORY ${regilla_dist}/icons/hicolor DESTINATION share/icons)
endif()

configure_file(${PROJECT_SOURCE_DIR}/packaging/RegillaMobile.metainfo.xml.in
               ${regilla_dist}/${REGILLA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${regilla_dist}/${REGILLA_APP_ID}.metainfo.xml DESTINATION share/metainfo)

# The manual: the options from the program's own --help, the rest from
# packaging/RegillaMobile.h2m.
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
if(HELP2MAN AND GZIP)
  set(regilla_man ${regilla_dist}/RegillaMobile.1)
  add_custom_command(
    OUTPUT ${regilla_man}.gz
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${HELP2MAN} --locale=C.UTF-8 --no-info
            "--name=Windows Mobile 5 Pocket PC settings on an emulated device screen"
            --include=${PROJECT_SOURCE_DIR}/packaging/RegillaMobile.h2m
            --output=${regilla_man} $<TARGET_FILE:RegillaMobile>
    COMMAND ${GZIP} -9nf ${regilla_man}
    DEPENDS RegillaMobile ${PROJECT_SOURCE_DIR}/packaging/RegillaMobile.h2m
    COMMENT "Writing the manual page with help2man")
  add_custom_target(regilla_man ALL DEPENDS ${regilla_man}.gz)
  install(FILES ${regilla_man}.gz DESTINATION share/man/man1)
else()
  message(WARNING "help2man or gzip not found: no manual page (scripts/deps.sh installs them)")
endif()

add_custom_command(
  OUTPUT ${regilla_dist}/changelog.gz
  COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${regilla_dist}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(regilla_changelog ALL DEPENDS ${regilla_dist}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${regilla_dist}/changelog.gz
        DESTINATION share/doc/regillamobile)
