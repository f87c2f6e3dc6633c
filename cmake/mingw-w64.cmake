# Cross-builds Windows x86-64 programs with Debian's MinGW-w64 compilers.
# The posix threading variant: GCC 12's win32 variant lacks std::thread and
# std::mutex. Everything is linked statically, so an .exe needs no DLL beside it
# (libstdc++, libgcc and winpthreads included).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LUMIGRAM_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LUMIGRAM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMIGRAM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMIGRAM_MINGW_TRIPLE}-windres)

# Libraries and headers come from the cross sysroot only, never from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${LUMIGRAM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine on the build machine.
find_program(LUMIGRAM_WINE NAMES wine wine64)
if(LUMIGRAM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LUMIGRAM_WINE})
endif()

# The windows preset optimises with -O2, as the dev preset does: at -O3 GCC 12
# reports false -Wrestrict and -Warray-bounds inside libstdc++ (GCC bug 105329).
