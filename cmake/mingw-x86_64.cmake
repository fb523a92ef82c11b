# Cross build for 64-bit Windows with MinGW-w64 (x86_64, posix thread model):
# the test build for machines that run no 32-bit program. What ships is the
# 32-bit build (mingw-i686.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QL_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
