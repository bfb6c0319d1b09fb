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

# libFuzzer target over sources.
velmora_fuzzer(fuzz_compiler script/fuzz_compiler.cpp script_compiler script_asm)
