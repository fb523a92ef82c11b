# Cross build for 32-bit Windows with MinGW-w64 (i686, posix thread model).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QL_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
