# Tests: script/compiler
velmora_test(compiler_tests
  script/compiler_harness.cpp
  script/compiler_driver_test.cpp
  script/compiler_errors_test.cpp
  script/compiler_files_test.cpp
  script/compiler_lexer_test.cpp
  script/compiler_listing_test.cpp
  script/compiler_random_test.cpp
  script/compiler_run_test.cpp
)
target_link_libraries(compiler_tests PRIVATE script_compiler script_asm)

# libFuzzer target (Clang only): the compiler's own sources are rebuilt with
# coverage so the fuzzer can steer through them.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  get_target_property(compiler_sources script_compiler SOURCES)
  get_target_property(compiler_dir script_compiler SOURCE_DIR)
  list(TRANSFORM compiler_sources PREPEND "${compiler_dir}/")
  add_executable(fuzz_compiler script/fuzz_compiler.cpp ${compiler_sources})
  target_compile_options(fuzz_compiler PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_compiler PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz_compiler PRIVATE script_asm)
endif()
