# The show as a web page: emscripten's compiler, WebGL 2 under our fixed-function layer, the GLU
# tessellator built for the web (LUMIVANE_WEB_GLU: its static library), Web Audio, and the
# show's loop suspended at every swap (Asyncify) so that the browser gets its turn.
# Configured by scripts/build-web.sh: emcmake cmake -DLUMIVANE_PLATFORM=web ...
if(NOT EMSCRIPTEN)
  message(FATAL_ERROR "LUMIVANE_PLATFORM=web needs emscripten's toolchain (emcmake cmake)")
endif()
set(LUMIVANE_WEB_GLU "" CACHE FILEPATH "The GLU tessellator built with emcc (static library)")

file(GLOB_RECURSE CORE_SOURCES CONFIGURE_DEPENDS src/*.cpp)
list(FILTER CORE_SOURCES EXCLUDE REGEX "/src/platform/[a-z0-9_]+/")
# The headless runs and their writers are the desktop program's (FFmpeg, libpng, EGL); the
# portable writers stay: --check's JSON, and the frame directory with its whole-file writer that
# the model viewer's turntable reaches.
list(FILTER CORE_SOURCES EXCLUDE REGEX "/src/output/")
list(APPEND CORE_SOURCES ${CMAKE_SOURCE_DIR}/src/output/json_text.cpp ${CMAKE_SOURCE_DIR}/src/output/whole_file.cpp
     ${CMAKE_SOURCE_DIR}/src/output/frame_directory.cpp ${CMAKE_SOURCE_DIR}/src/output/frame_names.cpp)
list(REMOVE_ITEM CORE_SOURCES ${CMAKE_SOURCE_DIR}/src/app/offline_run.cpp ${CMAKE_SOURCE_DIR}/src/app/main.cpp
     ${CMAKE_SOURCE_DIR}/src/model/model_archive_libzip.cpp)
file(GLOB_RECURSE WEB_SOURCES CONFIGURE_DEPENDS src/platform/web/*.cpp src/platform/web/*.c)
# The page plays its soundtrack through Web Audio; --check reads the WAV with the dependency-free
# RIFF reader the Windows build has.
list(APPEND CORE_SOURCES ${WEB_SOURCES} ${CMAKE_SOURCE_DIR}/src/platform/windows/wav_file_riff.cpp)

# The page's data set lies at /data, beside the program at the root of its file system.
set(LUMIVANE_DATA_FROM_BIN data)
configure_file(cmake/lumivane_build.h.in ${CMAKE_BINARY_DIR}/generated/lumivane_build.h @ONLY)
add_executable(lumivane src/app/main.cpp ${CORE_SOURCES})
# The web GL headers (GL/gl.h, GL/glu.h of our layer) come before emscripten's own.
target_include_directories(lumivane BEFORE PRIVATE src/platform/web/include)
target_include_directories(lumivane PRIVATE src ${CMAKE_BINARY_DIR}/generated)
if(LUMIVANE_WEB_GLU)
  target_link_libraries(lumivane PRIVATE ${LUMIVANE_WEB_GLU})
endif()
set_target_properties(lumivane PROPERTIES SUFFIX ".js")

# Asyncify suspends only at the page's two waits; every function that can reach them is
# instrumented, which is the cost measured in the README of the web build.
set(WEB_LINK_FLAGS
    -sMODULARIZE=1 -sEXPORT_NAME=createLumivane -sINVOKE_RUN=0 -sEXIT_RUNTIME=0
    -sENVIRONMENT=web -sMINIFY_HTML=0
    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB -sTOTAL_STACK=5MB
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
    -sASYNCIFY=1 "-sASYNCIFY_IMPORTS=['lumivane_page_frame_done','lumivane_page_sleep']"
    -sASYNCIFY_STACK_SIZE=65536
    -sFORCE_FILESYSTEM=1
    "-sEXPORTED_RUNTIME_METHODS=['callMain','FS','ENV']"
    "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free','_lumivane_probe_demo_ms','_lumivane_probe_shown_ms','_lumivane_probe_shown_scene']"
    --js-library ${CMAKE_SOURCE_DIR}/src/platform/web/web_page.js)
target_link_options(lumivane PRIVATE ${WEB_LINK_FLAGS})
set_property(TARGET lumivane APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/web/web_page.js)
