# Shared by the mingw-w64 toolchain files: compilers, the target's root, and
# wine as the emulator that runs test programs (gtest discovery, ctest).
set(CMAKE_C_COMPILER ${R742_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${R742_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${R742_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${R742_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# A program that needs no DLLs beside it: C and C++ runtimes and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../tools/wine-run)
