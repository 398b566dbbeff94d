# Installation (cmake --install, any prefix, DESTDIR honoured) and the Debian package
# (cpack -G DEB in the build directory).

set(LUMIVANE_MAINTAINER "lumivane developers <lumivane@users.noreply.invalid>" CACHE STRING
    "Maintainer of the Debian package: name <address>")
# For the manual pages in the build tree; the installed ones name the prefix installed to.
set(LUMIVANE_INSTALLED_DATA ${CMAKE_INSTALL_FULL_DATADIR}/lumivane/data)

install(TARGETS lumivane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET mqo-info)
  install(TARGETS mqo-info RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The stand-in data set as the build wrote it, and the icon drawn beside it.
if(TARGET gen-data)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/lumivane/data
          PATTERN .complete EXCLUDE)
  foreach(size ${ICON_SIZES})
    install(FILES ${CMAKE_BINARY_DIR}/icons/lumivane-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME lumivane.png)
  endforeach()
endif()

# Manual pages: a copy in the build tree (man -l build/man/lumivane.1), and the installed ones,
# written at install time for the prefix installed to.
set(MAN_PAGES lumivane.1 mqo-info.1)
foreach(page ${MAN_PAGES})
  configure_file(dist/${page}.in ${CMAKE_BINARY_DIR}/man/${page} @ONLY)
endforeach()
install(CODE "
  set(LUMIVANE_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")
  set(LUMIVANE_BINARY_DIR \"${CMAKE_BINARY_DIR}\")
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  set(MAN_DIR \"${CMAKE_INSTALL_MANDIR}\")
  set(DATA_DIR \"${CMAKE_INSTALL_DATADIR}/lumivane/data\")
  set(MAN_PAGES \"${MAN_PAGES}\")
  include(\"${CMAKE_SOURCE_DIR}/cmake/install_man_pages.cmake\")")

configure_file(dist/changelog ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
                   COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/doc/changelog > ${CMAKE_BINARY_DIR}/doc/changelog.gz
                   DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog)
add_custom_target(docs ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog.gz)

install(FILES dist/lumivane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES dist/completion/lumivane dist/completion/mqo-info
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES dist/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package: lumivane_<version>_amd64.deb, its library dependencies computed from the
# binaries by dpkg-shlibdeps, and the font that the 3D text looks for first.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumivane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${LUMIVANE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running real-time 3D show with its soundtrack")
# The long description: CPack puts the summary above it and indents each line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Twelve scenes, about three and a half minutes, timed to a 140 beats per
minute soundtrack and drawn with fixed-function OpenGL 1.1: models read from
text model files, 3D outline text, fog, one light, glows, trails and flashes.

The show plays full screen or in a window, where it is also a player, and
renders headless into PNG frames or a video file. A complete stand-in data
set (models, textures, soundtrack) is included; the model inspector mqo-info
checks one's own models.")
include(CPack)
