# Run by cmake --install (and cpack): writes the manual pages with the prefix being installed to,
# so that they name the data directory where it really lies, compressed the way Debian keeps them
# (gzip -n: no time stamp, so the package is reproducible).
# Expects LUMIVANE_SOURCE_DIR, LUMIVANE_BINARY_DIR, PROJECT_VERSION, MAN_DIR, DATA_DIR (relative to
# the prefix, or absolute) and MAN_PAGES.
if(IS_ABSOLUTE "${DATA_DIR}")
  set(LUMIVANE_INSTALLED_DATA "${DATA_DIR}")
else()
  set(LUMIVANE_INSTALLED_DATA "${CMAKE_INSTALL_PREFIX}/${DATA_DIR}")
endif()
if(IS_ABSOLUTE "${MAN_DIR}")
  set(destination "$ENV{DESTDIR}${MAN_DIR}/man1")
else()
  set(destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${MAN_DIR}/man1")
endif()
file(MAKE_DIRECTORY "${destination}")
foreach(page ${MAN_PAGES})
  configure_file("${LUMIVANE_SOURCE_DIR}/dist/${page}.in" "${LUMIVANE_BINARY_DIR}/man-install/${page}" @ONLY)
  message(STATUS "Installing: ${destination}/${page}.gz")
  execute_process(COMMAND gzip -9nc "${LUMIVANE_BINARY_DIR}/man-install/${page}"
                  OUTPUT_FILE "${destination}/${page}.gz" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot write ${destination}/${page}.gz")
  endif()
endforeach()
