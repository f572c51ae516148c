# SPDX-License-Identifier: MIT
# Cross-builds the programs for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# for std::thread), and runs what the build and ctest start under Wine.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Fully static: otherwise the programs need libwinpthread-1.dll and the compiler's
# runtime DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
find_program(MARROWLOCK_WINE NAMES wine wine64)
if(MARROWLOCK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MARROWLOCK_WINE})
endif()
