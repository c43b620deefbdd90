# 32-bit Windows build: the release target. Nothing on the build machines
# can execute it, so it has no emulator.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
