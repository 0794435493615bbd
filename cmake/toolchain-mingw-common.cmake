# Shared part of the two MinGW-w64 toolchain files: the compilers of
# ${QUELMO_MINGW_TRIPLE} (posix thread model, so std::thread and std::mutex
# exist), MSYS2's plain names on Windows, and Wine as the emulator on Linux.
set(CMAKE_SYSTEM_NAME Windows)

find_program(QUELMO_MINGW_CXX NAMES ${QUELMO_MINGW_TRIPLE}-g++-posix ${QUELMO_MINGW_TRIPLE}-g++ g++ REQUIRED)
find_program(QUELMO_MINGW_CC NAMES ${QUELMO_MINGW_TRIPLE}-gcc-posix ${QUELMO_MINGW_TRIPLE}-gcc gcc REQUIRED)
set(CMAKE_C_COMPILER ${QUELMO_MINGW_CC})
set(CMAKE_CXX_COMPILER ${QUELMO_MINGW_CXX})
find_program(QUELMO_MINGW_RC NAMES ${QUELMO_MINGW_TRIPLE}-windres windres REQUIRED)
set(CMAKE_RC_COMPILER ${QUELMO_MINGW_RC})

if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Linux")
  set(CMAKE_FIND_ROOT_PATH /usr/${QUELMO_MINGW_TRIPLE})
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
  # Windows programs and tests run under Wine.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
endif()
