# 32-bit Windows (the shipped program), built with MinGW-w64, run and tested
# under Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUELMO_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
