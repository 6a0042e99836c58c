# add_project_test(NAME n LABELS l... SOURCES s... LIBS l... [TIMEOUT s] [FIXTURE f])
# A GoogleTest executable whose cases are registered with ctest under the given labels; with
# FIXTURE, each case needs the ctest fixture f set up first.
function(add_project_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT;FIXTURE" "LABELS;SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(fixture)
  if(T_FIXTURE)
    set(fixture FIXTURES_REQUIRED ${T_FIXTURE})
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main project_warnings)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  gtest_discover_tests(${T_NAME}
    PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT} ${fixture}
    DISCOVERY_TIMEOUT 60)
endfunction()
