# Writes the program's resource script: the icon (PNG images, each an icon resource, and the
# group that lists them) and the version information. cmake -DOUTPUT= -DVERSION= -DICONS= -P
string(REPLACE "." "," numeric "${VERSION}")
set(rc "// Written by cmake/windows_resources.cmake.\n#include <winver.h>\n\n")
list(LENGTH ICONS count)
if(count GREATER 0)
  # RT_GROUP_ICON: the directory (reserved 0, type 1 = icon, count), then per image width and
  # height as bytes (256 is 0), colours, reserved, planes, bits, its size in bytes and its id.
  set(group "1 14\nBEGIN\n  0, 1, ${count}")
  set(id 1)
  foreach(png ${ICONS})
    string(REGEX MATCH "([0-9]+)\\.png$" match "${png}")
    set(side ${CMAKE_MATCH_1})
    if(side GREATER_EQUAL 256)
      set(side 0)
    endif()
    file(SIZE ${png} bytes)
    math(EXPR sides "${side} + ${side} * 256")
    string(APPEND group ",\n  ${sides}, 0, 1, 32, ${bytes}L, ${id}")
    string(APPEND rc "${id} 3 \"${png}\"\n")
    math(EXPR id "${id} + 1")
  endforeach()
  string(APPEND rc "${group}\nEND\n\n")
endif()
string(APPEND rc "1 VERSIONINFO
FILEVERSION ${numeric},0
PRODUCTVERSION ${numeric},0
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_APP
BEGIN
  BLOCK \"StringFileInfo\"
  BEGIN
    BLOCK \"040904B0\"
    BEGIN
      VALUE \"FileDescription\", \"lumivane, a real-time 3D show\"
      VALUE \"FileVersion\", \"${VERSION}\"
      VALUE \"InternalName\", \"lumivane\"
      VALUE \"OriginalFilename\", \"lumivane.exe\"
      VALUE \"ProductName\", \"lumivane\"
      VALUE \"ProductVersion\", \"${VERSION}\"
    END
  END
  BLOCK \"VarFileInfo\"
  BEGIN
    VALUE \"Translation\", 0x409, 1200
  END
END
")
file(WRITE ${OUTPUT} "${rc}")
