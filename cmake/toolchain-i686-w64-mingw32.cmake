# 32-bit Windows, built with MinGW-w64 (posix thread model, so std::thread and
# std::mutex exist), run and tested under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

find_program(QUELMO_MINGW_CXX NAMES i686-w64-mingw32-g++-posix i686-w64-mingw32-g++ g++ REQUIRED)
find_program(QUELMO_MINGW_CC NAMES i686-w64-mingw32-gcc-posix i686-w64-mingw32-gcc gcc REQUIRED)
set(CMAKE_C_COMPILER ${QUELMO_MINGW_CC})
set(CMAKE_CXX_COMPILER ${QUELMO_MINGW_CXX})
find_program(QUELMO_MINGW_RC NAMES i686-w64-mingw32-windres windres REQUIRED)
set(CMAKE_RC_COMPILER ${QUELMO_MINGW_RC})

if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Linux")
  set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
  # Windows programs and tests run under Wine.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
endif()
