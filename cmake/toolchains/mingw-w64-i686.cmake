# Cross-build for 32-bit Windows with Debian's mingw-w64 (posix threads).
# SSE2 arithmetic so that floats round as on x86_64 (no x87 extended
# precision), and a 64-bit time_t so that log times reach the year 9999.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(R742_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -D__MINGW_USE_VC2005_COMPAT")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -D__MINGW_USE_VC2005_COMPAT")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
