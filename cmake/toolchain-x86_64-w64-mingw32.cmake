# 64-bit Windows (the second form of the program, and the one every x86-64
# machine can run under Wine), built with MinGW-w64, run and tested under Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUELMO_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
