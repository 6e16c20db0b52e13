# Cross-build for 64-bit Windows with MinGW-w64 on a Linux host.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORBL_MINGW_PREFIX x86_64-w64-mingw32)
# The -posix compilers: GoogleTest does not build with the win32 thread model.
set(CMAKE_C_COMPILER ${ORBL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORBL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ORBL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORBL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC 12 reports std::string copies inlined at -O2 and above as overlapping
# memcpy calls (GCC bug 105329); with warnings as errors that stops the build.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict -ffunction-sections -fdata-sections")
# The release program is built for size: Wine reads the whole image into
# private memory, and nothing in it is hot enough to want -O3's unrolling.
# -g only fills orbl3.exe.debug; the program itself ships stripped. Forced: a
# build folder configured before these flags changed must not keep building
# (and benchmarking) the old ones.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -g -DNDEBUG" CACHE STRING "Flags of the release build" FORCE)

# Everything static: the program folder must run on a bare Windows, without
# libstdc++, libgcc or libwinpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(ORBL_WINE NAMES wine wine64)
if(ORBL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORBL_WINE})
endif()
