# 32-bit Windows. The host's Wine cannot run its programs (no 32-bit loader here), so CTest runs
# the test suites through the WoW64 root's Wine: within scripts/wow64-root.sh run.
set(KESTRUNE_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

get_filename_component(_wow64_root_script ${CMAKE_CURRENT_LIST_DIR}/../scripts/wow64-root.sh
  ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${_wow64_root_script} wine)
