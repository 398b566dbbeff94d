# The Windows build (cross-built with cmake/mingw-w64-x86_64.cmake): the system's own libraries,
# linked statically so that the .exe imports only DLLs every Windows has.

# <GL/gl.h> includes <windows.h> unless these are defined; with them the show's sources see GL
# and GLU alone (no min/max, near/far or ERROR macros), and only the backend includes <windows.h>.
add_compile_definitions("WINGDIAPI=__declspec(dllimport)" "APIENTRY=__stdcall" "CALLBACK=__stdcall"
                        NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 UNICODE _UNICODE)
include_directories(BEFORE SYSTEM ${CMAKE_SOURCE_DIR}/src/platform/windows/include)
add_link_options(-static -static-libgcc -static-libstdc++)
set(PLATFORM_LIBRARIES opengl32 glu32 gdi32 user32 winmm windowscodecs ole32 uuid shell32 shlwapi)
# No video encoder on Windows: --video says so and names the frame route.
# The whole-file writer and the frame directory: the backend's own, over Win32 file calls.
set(PLATFORM_EXCLUDED_SOURCES src/output/video_writer.cpp src/model/model_archive_libzip.cpp
    src/output/whole_file.cpp src/output/frame_directory.cpp)

# The icon and version information, written into a resource script at build time (the icon's
# sizes come from the images drawn by a native gen-data), compiled by windres.
set(LUMIVANE_HOST_GEN_DATA "" CACHE FILEPATH
    "gen-data of a native build: draws the icon and writes the stand-in data set beside the .exe")
set(WINDOWS_ICON_SIZES 16 32 48 256)
set(PLATFORM_PROGRAM_SOURCES ${CMAKE_BINARY_DIR}/generated/lumivane.rc)

function(lumivane_windows_program_parts)
  set(icons)
  if(LUMIVANE_HOST_GEN_DATA)
    foreach(size ${WINDOWS_ICON_SIZES})
      set(png ${CMAKE_BINARY_DIR}/icons/lumivane-${size}.png)
      add_custom_command(OUTPUT ${png}
                         COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons
                         COMMAND ${LUMIVANE_HOST_GEN_DATA} --icon ${png} ${size}
                         DEPENDS ${LUMIVANE_HOST_GEN_DATA}
                         COMMENT "Drawing the ${size}x${size} icon")
      list(APPEND icons ${png})
    endforeach()
    # The stand-in data set beside the program, where it looks first after ./data.
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/data/.complete
                       COMMAND ${LUMIVANE_HOST_GEN_DATA} ${CMAKE_BINARY_DIR}/data
                       COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/data/.complete
                       DEPENDS ${LUMIVANE_HOST_GEN_DATA}
                       COMMENT "Generating the stand-in data set")
    add_custom_target(standin-data ALL DEPENDS ${CMAKE_BINARY_DIR}/data/.complete)
  else()
    message(WARNING "LUMIVANE_HOST_GEN_DATA not set: lumivane.exe gets no icon and the build no data set")
  endif()
  set(rc ${CMAKE_BINARY_DIR}/generated/lumivane.rc)
  add_custom_command(OUTPUT ${rc}
                     COMMAND ${CMAKE_COMMAND} -DOUTPUT=${rc} -DVERSION=${PROJECT_VERSION}
                             "-DICONS=${icons}" -P ${CMAKE_SOURCE_DIR}/cmake/windows_resources.cmake
                     DEPENDS ${icons} ${CMAKE_SOURCE_DIR}/cmake/windows_resources.cmake
                     COMMENT "Writing the resource script" VERBATIM)
  set_source_files_properties(${rc} PROPERTIES GENERATED TRUE)
endfunction()

# stb_image_write for our own PNG frames: Debian's header, and only that directory of the host's.
if(EXISTS /usr/include/stb/stb_image_write.h)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/src/platform/windows/png_image_stb.cpp PROPERTIES
                              INCLUDE_DIRECTORIES /usr/include/stb
                              COMPILE_OPTIONS "-Wno-missing-field-initializers;-Wno-unused-parameter")
else()
  message(FATAL_ERROR "stb_image_write.h not found: scripts/setup-deps.sh --windows installs libstb-dev")
endif()
