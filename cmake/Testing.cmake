# SPDX-License-Identifier: MIT
# Test executables live in build/tests, away from what ships in build/bin.
set(BRANDEL_TEST_DIR ${CMAKE_BINARY_DIR}/tests)

# brandel_add_test(NAME SOURCES... LIBS libs... [ENV var=value...] [LABELS l...])
function(brandel_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  brandel_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BRANDEL_TEST_DIR})
  target_compile_definitions(${name} PRIVATE
    BRANDEL_BIN_DIR="${BRANDEL_BIN_DIR}"
    BRANDEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  # A list inside PROPERTIES passes through several unquoted expansions in CMake's
  # GoogleTest module (3.25) before it reaches set_tests_properties; unescaped, every entry
  # after the first turns into a property name of its own and the labels are lost. Seven
  # backslashes bring each separator through intact (ctest --show-only=json-v1 shows it).
  string(REPEAT "\\" 7 escape)
  set(environment QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy ${T_ENV})
  string(REPLACE ";" "${escape};" environment "${environment}")
  string(REPLACE ";" "${escape};" labels "${T_LABELS}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "${environment}" LABELS "${labels}")
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt (one per tool or area).
function(brandel_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
