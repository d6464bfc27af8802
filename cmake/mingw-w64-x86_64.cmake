# 64-bit Windows. Its programs run here under wine64, so CTest runs the test suites through it.
set(KESTRUNE_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

find_program(KESTRUNE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(KESTRUNE_WINE64 NAMES wine64)
if(KESTRUNE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTRUNE_WINE64})
endif()
