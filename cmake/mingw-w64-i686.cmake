# 32-bit Windows. Built, never run here: these machines have no 32-bit loader for Wine.
set(KESTRUNE_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
