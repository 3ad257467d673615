# SPDX-License-Identifier: MIT
# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix, whose
# POSIX thread model gives std::thread and std::mutex) and libz-mingw-w64-dev:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake
# Tests then run under Wine, which CMake uses as the emulator of the built programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(HOLVANE_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HOLVANE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HOLVANE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${HOLVANE_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${HOLVANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# GCC's own run-time libraries (libstdc++, libgcc, winpthread) linked in, so a program needs no
# MinGW DLL beside it; zlib1.dll stays a DLL, which Wine finds in MinGW's folder.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
find_program(HOLVANE_WINE NAMES wine wine64)
if(HOLVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env
    WINEPATH=Z:/usr/${HOLVANE_MINGW_TRIPLET}/lib WINEDEBUG=-all ${HOLVANE_WINE})
endif()
