# Cross-compiles the engine for 64-bit ARM Linux (Raspberry Pi 3 and later with a
# 64-bit system) with Debian's g++-aarch64-linux-gnu.
# Use: cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-aarch64.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ARM_TRIPLET aarch64-linux-gnu)
set(QEMU_NAME qemu-aarch64)

include(${CMAKE_CURRENT_LIST_DIR}/linux-arm-common.cmake)
