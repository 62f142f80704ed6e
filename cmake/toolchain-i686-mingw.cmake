# 32-bit Windows: the programs as they are shipped.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
