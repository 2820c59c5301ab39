# Cross-compiles the engine for 64-bit ARM Linux (Raspberry Pi 3 and later with a
# 64-bit system) with Debian's g++-aarch64-linux-gnu.
# Use: cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-aarch64.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ARM_TRIPLET aarch64-linux-gnu)
set(QEMU_NAME qemu-aarch64)

include(${CMAKE_CURRENT_LIST_DIR}/linux-arm-common.cmake)

# A static position-independent executable: still no library needed on the
# board, and Android (which refuses executables that are not
# position-independent) runs it too, started through the entry point of
# src/platform/android_start_aarch64.cpp. Debian's armhf C library has no
# static-PIE start file, so the 32-bit build stays position-dependent.
set(CMAKE_CXX_FLAGS_INIT "-fPIE")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-pie")
set(ENGINE_ANDROID_ENTRY ON)
