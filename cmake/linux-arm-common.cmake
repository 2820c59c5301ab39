# Shared part of the ARM Linux toolchain files; ARM_TRIPLET names the compiler.
find_program(ARM_CXX NAMES ${ARM_TRIPLET}-g++ REQUIRED)
set(CMAKE_CXX_COMPILER ${ARM_CXX})

set(CMAKE_FIND_ROOT_PATH /usr/${ARM_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Statically linked: the one file runs on any board of its kind, whatever C and
# C++ libraries its system has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Where a program of the target has to run on the build machine, qemu-user runs it.
find_program(QEMU_PROGRAM NAMES ${QEMU_NAME})
if(QEMU_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_PROGRAM})
endif()
