# SPDX-License-Identifier: MIT
# Desktop integration: the desktop entry, the MIME types of key and encrypted files, the
# AppStream metainfo and the icons in the hicolor theme. Only a build with the window
# installs them.
if(NOT MARROWLOCK_GUI OR WIN32)
  return()
endif()

# Placeholders, like MARROWLOCK_HOMEPAGE, until the project has a home of its own.
set(MARROWLOCK_APP_ID "org.example.marrowlock" CACHE STRING
    "AppStream component id (reverse DNS of the project's home)")
set(MARROWLOCK_SCREENSHOT_URL "${MARROWLOCK_HOMEPAGE}/screenshot.png" CACHE STRING
    "Where docs/screenshot.png is published, for the metainfo")

# MARROWLOCK_RELEASE_VERSION and _DATE come from CHANGELOG.md (cmake/Docs.cmake).
configure_file(${PROJECT_SOURCE_DIR}/data/marrowlock.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${MARROWLOCK_APP_ID}.metainfo.xml @ONLY)

install(FILES ${PROJECT_SOURCE_DIR}/data/marrowlock.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/marrowlock-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME marrowlock.xml)
install(FILES ${CMAKE_BINARY_DIR}/${MARROWLOCK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Every icon is drawn from data/marrowlock.svg. rsvg-convert renders SVG as the desktops
# themselves do (librsvg), in one small package, one size per call.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert is needed to draw the icons: install librsvg2-bin "
                      "(scripts/setup does), or configure with -DMARROWLOCK_GUI=OFF")
endif()
set(MARROWLOCK_ICON_SIZES 16 32 48 64 128 256)
set(_icon_source ${PROJECT_SOURCE_DIR}/data/marrowlock.svg)
set(_icons)
foreach(size ${MARROWLOCK_ICON_SIZES})
  set(folder ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps)
  add_custom_command(
    OUTPUT ${folder}/marrowlock.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${folder}/marrowlock.png
            ${_icon_source}
    DEPENDS ${_icon_source}
    COMMENT "Drawing the ${size}x${size} icon"
    VERBATIM)
  list(APPEND _icons ${folder}/marrowlock.png)
  install(FILES ${folder}/marrowlock.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(marrowlock-icons ALL DEPENDS ${_icons})
install(FILES ${_icon_source} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
