# Profile-guided optimisation, trained on the bench and on positions of play.
#
# A native GCC Release build first builds an instrumented copy of the engine
# in the sub-build pgo/build (an external project of this same source tree),
# runs its bench on short searches to record which branches and calls the
# search really takes, and then compiles the real targets with that profile.
# The bench searches its own 34 positions and then the positions of
# tools/training.epd (from the engine's games against itself), so that the
# profile does not favour the bench's few positions; perft trains make,
# unmake and the attack test. The profile is made again only when the
# instrumented programs or the training positions have changed, and every
# object that reads it depends on its stamp, so a second build with nothing
# changed does no work and a changed source retrains once.
#
# Off for cross builds (the instrumented program cannot run here), for other
# compilers, for sanitizer builds and for non-Release builds.

set(ENGINE_PGO_GENERATE "" CACHE PATH "Instrument the build and write its profile to this directory (used by the sub-build)")
set(ENGINE_PGO_TRAINING_DEPTH 6 CACHE STRING "Search depth of the bench runs that train the profile")
set(ENGINE_PGO_TRAINING_POSITIONS ${CMAKE_SOURCE_DIR}/tools/training.epd CACHE FILEPATH
    "Positions the bench also searches to train the profile")

set(pgo_default OFF)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT CMAKE_CROSSCOMPILING
   AND NOT ENGINE_SANITIZE AND NOT ENGINE_PGO_GENERATE)
  # Profiles are matched to objects by paths relative to the build tree,
  # which needs GCC 11 or later.
  include(CheckCXXCompilerFlag)
  check_cxx_compiler_flag("-fprofile-prefix-path=${CMAKE_BINARY_DIR}" ENGINE_HAS_PROFILE_PREFIX_PATH)
  if(ENGINE_HAS_PROFILE_PREFIX_PATH)
    set(pgo_default ON)
  endif()
endif()
option(ENGINE_PGO "Profile-guided optimisation trained on the bench (native GCC Release builds)" ${pgo_default})

# Profile files are named after the object paths relative to the build tree,
# so that the instrumented sub-build and this build find the same names.
if(ENGINE_PGO_GENERATE)
  add_compile_options(-fprofile-generate=${ENGINE_PGO_GENERATE} -fprofile-prefix-path=${CMAKE_BINARY_DIR})
  add_link_options(-fprofile-generate=${ENGINE_PGO_GENERATE})
elseif(ENGINE_PGO)
  include(ExternalProject)
  set(pgo_dir ${CMAKE_BINARY_DIR}/pgo)
  set(pgo_data ${pgo_dir}/profile)
  set(pgo_bench ${pgo_dir}/build/bench${CMAKE_EXECUTABLE_SUFFIX})
  set(pgo_perft ${pgo_dir}/build/perft${CMAKE_EXECUTABLE_SUFFIX})
  set(ENGINE_PGO_STAMP ${pgo_dir}/profile.stamp)
  ExternalProject_Add(engine_pgo_instrumented
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    PREFIX ${pgo_dir}
    BINARY_DIR ${pgo_dir}/build
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DENGINE_TESTS=OFF -DENGINE_LTO=OFF -DENGINE_PGO=OFF
               -DENGINE_PGO_GENERATE=${pgo_data} -DENGINE_WERROR=${ENGINE_WERROR}
               -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
               "-DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS}" "-DCMAKE_CXX_FLAGS_RELEASE=${CMAKE_CXX_FLAGS_RELEASE}"
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${pgo_bench} ${pgo_perft}
    INSTALL_COMMAND "")
  # Counts of an earlier run would add up with the new ones, so they go first.
  add_custom_command(OUTPUT ${ENGINE_PGO_STAMP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${pgo_data}
    COMMAND ${pgo_bench} ${ENGINE_PGO_TRAINING_DEPTH} > ${pgo_dir}/training.log
    COMMAND ${pgo_bench} ${ENGINE_PGO_TRAINING_DEPTH} ${ENGINE_PGO_TRAINING_POSITIONS} >> ${pgo_dir}/training.log
    COMMAND ${pgo_perft} "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1" 4 >> ${pgo_dir}/training.log
    COMMAND ${CMAKE_COMMAND} -E touch ${ENGINE_PGO_STAMP}
    DEPENDS ${pgo_bench} ${pgo_perft} ${ENGINE_PGO_TRAINING_POSITIONS}
    WORKING_DIRECTORY ${pgo_dir}
    COMMENT "Training the profile-guided build on the bench and the training positions")
  add_custom_target(engine_pgo_profile DEPENDS ${ENGINE_PGO_STAMP})
  add_dependencies(engine_pgo_profile engine_pgo_instrumented)
  # Code the bench never ran (and the tests) is compiled as without a profile.
  add_compile_options(-fprofile-use=${pgo_data} -fprofile-prefix-path=${CMAKE_BINARY_DIR} -fprofile-partial-training
                      -Wno-missing-profile)
endif()

# Makes the objects of these targets wait for the profile and recompile when it changes.
function(engine_use_profile)
  if(ENGINE_PGO AND NOT ENGINE_PGO_GENERATE)
    foreach(target ${ARGN})
      add_dependencies(${target} engine_pgo_profile)
      get_target_property(sources ${target} SOURCES)
      set_source_files_properties(${sources} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${ENGINE_PGO_STAMP})
    endforeach()
  endif()
endfunction()
