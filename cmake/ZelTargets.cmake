# Helpers that every subsystem uses to declare its targets.

# zel_library(name [SHARED|STATIC] SOURCES ... [LINK ...])
function(zel_library name)
  cmake_parse_arguments(ARG "SHARED;STATIC" "" "SOURCES;LINK;PUBLIC_LINK" ${ARGN})
  set(kind STATIC)
  if(ARG_SHARED)
    set(kind SHARED)
  endif()
  add_library(${name} ${kind} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zel_warnings ${ARG_LINK} PUBLIC ${ARG_PUBLIC_LINK})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
  if(kind STREQUAL "SHARED")
    set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
  endif()
endfunction()

# zel_program(name SOURCES ... [LINK ...])
function(zel_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zel_warnings ${ARG_LINK})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
endfunction()

# zel_test(name SOURCES ... [LINK ...] [LABELS ...] [TIMEOUT s])
# A GoogleTest program registered with ctest. Each test gets its own
# kernel-object namespace and registry so that tests run side by side.
# With ZEL_BUILD_TESTS off the program is still declared (so a folder may add
# properties to it) but is neither built by default nor registered.
function(zel_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LINK;LABELS" ${ARGN})
  if(NOT ZEL_BUILD_TESTS)
    add_executable(${name} EXCLUDE_FROM_ALL ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE zel_warnings GTest::gtest GTest::gtest_main ${ARG_LINK})
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zel_warnings GTest::gtest GTest::gtest_main ${ARG_LINK})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    LABELS "${ARG_LABELS}"
    ENVIRONMENT "ZEL_NAMESPACE=ctest-${name};ZEL_REGISTRY_DIR=${CMAKE_BINARY_DIR}/test-registry/${name};QT_QPA_PLATFORM=offscreen")
endfunction()

# zel_fuzz(name SOURCES ... [LINK ...] [CORPUS dir])
# With ZEL_FUZZ the target is a libFuzzer program. Otherwise it is linked with a
# small driver that replays the checked-in corpus, and ctest runs it so every
# seed stays a regression test.
function(zel_fuzz name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zel_warnings ${ARG_LINK})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
  if(ZEL_FUZZ)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_link_libraries(${name} PRIVATE zel_fuzz_replay)
  endif()
  if(ZEL_BUILD_TESTS AND ARG_CORPUS)
    add_test(NAME ${name}_corpus COMMAND ${name} "${ARG_CORPUS}")
    set_tests_properties(${name}_corpus PROPERTIES TIMEOUT 300 LABELS fuzz)
  endif()
endfunction()

# zel_bench(name SOURCES ... [LINK ...]): a benchmark program, never run by ctest.
# With ZEL_BUILD_BENCH off it is declared but not built by default.
function(zel_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  if(ZEL_BUILD_BENCH)
    add_executable(${name} ${ARG_SOURCES})
  else()
    add_executable(${name} EXCLUDE_FROM_ALL ${ARG_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE zel_warnings ${ARG_LINK})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}")
endfunction()
