# Installation rules and what the release files need from a build.
#
# The version of every release file is the project version set by
# project(tavox VERSION ...) in CMakeLists.txt: the manual page carries it, and
# tools/make-release.sh reads it from tavox-version.txt in a configured build
# tree. The engine's "id name" line does not carry it.
file(WRITE ${CMAKE_BINARY_DIR}/tavox-version.txt "${PROJECT_VERSION}\n")
configure_file(packaging/tavox.6.in ${CMAKE_BINARY_DIR}/tavox.6 @ONLY)

# The static aarch64 build starts at an entry point that lets it run under
# Android's seccomp filter (see src/platform/android_start_aarch64.cpp).
if(ENGINE_ANDROID_ENTRY)
  target_sources(tavox PRIVATE ${CMAKE_SOURCE_DIR}/src/platform/android_start_aarch64.cpp)
  target_link_options(tavox PRIVATE -Wl,-e,tavox_start)
endif()

# cmake --install build --prefix DIR: DIR/bin/tavox, the README and the licence
# in DIR's doc folder, the manual page in DIR/share/man/man6.
include(GNUInstallDirs)
install(TARGETS tavox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_BINARY_DIR}/tavox.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# Writes the built-in weights as Parameters_Eval.txt for the release files
# (built on request only: cmake --build build --target parameters_file).
if(NOT CMAKE_CROSSCOMPILING)
  add_executable(parameters_file EXCLUDE_FROM_ALL tools/parameters_file.cpp)
  target_link_libraries(parameters_file PRIVATE engine_core)
endif()
