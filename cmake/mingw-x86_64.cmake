# The same sources for 64-bit Windows, which the tests run where the kernel
# runs no 32-bit code (scripts/wine-env.sh); the shipped programs are 32-bit.
set(MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
