# Helpers for the test folders: one GoogleTest executable per area, libFuzzer targets.

# A test executable of [name] built from the remaining arguments, run headless by CTest.
function(velmora_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE test_support GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE VELMORA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
                                             VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT "VELMORA_BACKEND=headless")
endfunction()

# A libFuzzer target (Clang only; not run by ctest). The sources of [library] are
# compiled in again so the fuzzer sees their coverage; [link] supplies the rest.
function(velmora_fuzzer name source library link)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  get_target_property(sources ${library} SOURCES)
  get_target_property(dir ${library} SOURCE_DIR)
  list(TRANSFORM sources PREPEND "${dir}/")
  add_executable(${name} ${source} ${sources})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${link})
endfunction()
