# Shared part of the MinGW-w64 toolchain files; MINGW_TRIPLET names the compiler.

# Debian ships each compiler in a win32-threads and a posix-threads flavour. The
# engine uses no C++ threads (the one thread that may read its input ahead is
# made with CreateThread), so the win32 flavour is preferred: it needs no
# threading library at all.
find_program(MINGW_CXX NAMES ${MINGW_TRIPLET}-g++-win32 ${MINGW_TRIPLET}-g++ REQUIRED)
set(CMAKE_CXX_COMPILER ${MINGW_CXX})

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: the C++ runtime and libgcc are linked in, so it needs
# no DLL beyond those every Windows has (KERNEL32.dll, msvcrt.dll). Without a
# link time stamp in its header, the same source gives the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
# Release executables are shipped without their symbol tables.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Where CMake or CTest have to run a Windows program, they run it under Wine.
find_program(WINE_PROGRAM NAMES wine wine64)
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
endif()
