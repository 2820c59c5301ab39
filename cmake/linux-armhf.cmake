# Cross-compiles the engine for 32-bit ARM Linux with hardware floating point
# (Raspberry Pi OS 32-bit, ARMv7) with Debian's g++-arm-linux-gnueabihf.
# Use: cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/linux-armhf.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(ARM_TRIPLET arm-linux-gnueabihf)
set(QEMU_NAME qemu-arm)

include(${CMAKE_CURRENT_LIST_DIR}/linux-arm-common.cmake)
