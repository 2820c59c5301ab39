# Cross-compiles the engine for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686).
# Use: cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DENGINE_TESTS=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLET i686-w64-mingw32)

# SSE2 arithmetic instead of the x87 unit: doubles are rounded as on the 64-bit
# build, so both builds print the same numbers.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
