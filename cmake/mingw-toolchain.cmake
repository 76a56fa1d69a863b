# Shared by the two MinGW-w64 toolchain files; ZRC_MINGW_PREFIX names the target triple.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ZRC_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZRC_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZRC_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZRC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test executables run under Wine through a wrapper that selects the project's prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
