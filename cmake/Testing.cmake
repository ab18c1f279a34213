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
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy;${T_ENV}"
               LABELS "${T_LABELS}")
endfunction()
