# The product: a 32-bit Windows program.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZRC_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
