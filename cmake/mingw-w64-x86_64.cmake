# Cross-build for 64-bit Windows with MinGW-w64 (posix thread model, so std::thread and friends work).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZARVI_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZARVI_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZARVI_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZARVI_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZARVI_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Cross-built tests run under Wine; the wrapper refuses to run outside a prepared test bench.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
