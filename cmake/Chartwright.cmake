# Shared build settings and helpers for every area of the tree.

add_library(cw_options INTERFACE)
target_include_directories(cw_options INTERFACE ${CMAKE_SOURCE_DIR})
target_compile_options(cw_options INTERFACE -Wall -Wextra)
# The checkout's path reaches only the few files that read it, through a generated header: on the
# command line of every compile it made each checkout's objects differ, and no two checkouts
# could share a compiler cache.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/cw/SourceDir.h
     CONTENT "#pragma once\n#define CW_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\"\n")
target_include_directories(cw_options INTERFACE ${CMAKE_BINARY_DIR}/generated)

# The sanitizer builds link every library into each of a few hundred test executables: -O1,
# line tables and fixed-address executables keep them at a third of the size (and faster).
if(CW_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -O1 -g1)
  add_link_options(-fsanitize=address,undefined)
  set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -no-pie")
endif()

if(CW_TSAN)
  if(CW_SANITIZE)
    message(FATAL_ERROR "CW_TSAN and CW_SANITIZE cannot be combined")
  endif()
  # asio's handler fences are what ThreadSanitizer cannot model; its warning names them in
  # every file that runs a socket handler, and the sessions' own order comes from locks.
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -Wno-tsan)
  add_link_options(-fsanitize=thread)
endif()

# Coverage feedback must reach the libraries a fuzz target calls, not only its own file.
if(CW_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# cw_library(name SOURCES ... [DEPS ...])
# A static library of our own with the repository root on its include path.
function(cw_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC cw_options ${ARG_DEPS})
endfunction()

# cw_test(name LABEL area SOURCES ... [DEPS ...] [TIMEOUT s])
# One GoogleTest executable; each of its tests becomes a CTest test carrying the area label.
# Tests labelled gui also get the gui label and are run under a virtual X server. Session
# searches of every test go to loopback only.
function(cw_test name)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT" "SOURCES;DEPS;LABELS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set(labels ${ARG_LABEL} ${ARG_LABELS})
  get_property(more_labels GLOBAL PROPERTY CW_MORE_LABELS_${name})
  get_property(more_tests GLOBAL PROPERTY CW_MORE_LABELS_TESTS_${name})
  foreach(l ${labels} ${more_labels})
    set_property(GLOBAL APPEND PROPERTY CW_TESTS_${l} ${name})
  endforeach()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE cw_options ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 120
    TEST_LIST ${name}_TESTS
    PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "CW_DPLAY_LAN=127.0.0.1")
  # Discovery would spread a list of labels into loose property arguments (and so lose every
  # property after them): the labels go on from a file read after the discovered tests.
  set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  set(more "")
  if(more_labels)
    set(all_labels ${labels} ${more_labels})
    set(more "  foreach(t IN LISTS ${name}_TESTS)\n    if(t MATCHES \"${more_tests}\")\n      set_tests_properties(\"\${t}\" PROPERTIES LABELS \"${all_labels}\")\n    endif()\n  endforeach()\n")
  endif()
  file(WRITE ${labels_file}
    "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\")\n${more}endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
endfunction()

# cw_test_labels(name LABELS ... [TESTS regex])
# Further labels for the tests of the executable `name` that a later cw_test (or cw_glob_tests)
# makes, or only for those whose names match `regex`: for the runs that pick tests by label,
# such as the ThreadSanitizer one. One call per executable.
function(cw_test_labels name)
  cmake_parse_arguments(ARG "" "TESTS" "LABELS" ${ARGN})
  if(NOT ARG_TESTS)
    set(ARG_TESTS ".")
  endif()
  set_property(GLOBAL PROPERTY CW_MORE_LABELS_${name} ${ARG_LABELS})
  set_property(GLOBAL PROPERTY CW_MORE_LABELS_TESTS_${name} ${ARG_TESTS})
endfunction()

# cw_fuzz(name SOURCE file DEPS ... [CORPUS dir])
# A libFuzzer target when CW_FUZZ is on; otherwise the same entry point is linked with a small
# driver and run over its seed corpus as an ordinary test, so the targets keep building and
# their seeds keep passing in every build.
function(cw_fuzz name)
  cmake_parse_arguments(ARG "" "SOURCE;CORPUS;LABEL" "DEPS" ${ARGN})
  if(NOT ARG_CORPUS)
    set(ARG_CORPUS ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  endif()
  if(CW_FUZZ)
    add_executable(fuzz_${name} ${ARG_SOURCE})
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(fuzz_${name} PRIVATE cw_options ${ARG_DEPS})
  else()
    add_executable(fuzz_${name} ${ARG_SOURCE} ${CMAKE_SOURCE_DIR}/fuzz/StandaloneMain.cpp)
    target_link_libraries(fuzz_${name} PRIVATE cw_options ${ARG_DEPS})
    if(NOT ARG_LABEL)
      set(ARG_LABEL fuzz)
    endif()
    add_test(NAME fuzz_${name}_seeds COMMAND fuzz_${name} ${ARG_CORPUS})
    set_tests_properties(fuzz_${name}_seeds PROPERTIES LABELS "${ARG_LABEL};fuzz" TIMEOUT 300)
  endif()
endfunction()

# cw_bench(name SOURCES ... DEPS ...)
# Not in the sanitizer builds, which measure nothing and run no benchmark.
function(cw_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT benchmark_FOUND OR CW_SANITIZE OR CW_TSAN)
    return()
  endif()
  add_executable(bench_${name} ${ARG_SOURCES})
  target_link_libraries(bench_${name} PRIVATE cw_options ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
  set_property(GLOBAL APPEND PROPERTY CW_BENCH_TARGETS bench_${name})
endfunction()

# cw_glob_library(name [DEPS ...])
# A static library of every .cpp in the current folder, so files can be added without editing
# the list.
function(cw_glob_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  cw_library(${name} SOURCES ${srcs} DEPS ${ARG_DEPS})
endfunction()

# cw_glob_tests(prefix LABEL area [LABELS ...] [DEPS ...] [TIMEOUT s])
# One test executable per tests/*Test.cpp of the current folder, named <prefix>_<file>.
function(cw_glob_tests prefix)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT" "DEPS;LABELS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*Test.cpp)
  foreach(t ${tests})
    get_filename_component(n ${t} NAME_WE)
    cw_test(${prefix}_${n} LABEL ${ARG_LABEL} LABELS ${ARG_LABELS} SOURCES ${t}
            DEPS ${ARG_DEPS} TIMEOUT ${ARG_TIMEOUT})
  endforeach()
endfunction()
