# Tests: script/assembler
velmora_test(assembler_tests
  script/AssemblerErrorsTest.cpp
  script/AssemblerLayoutTest.cpp
)
target_link_libraries(assembler_tests PRIVATE script_asm)

# Assembled, loaded and run on the runtime.
velmora_test(assembler_run_tests
  script/AssemblerRunTest.cpp
)
target_link_libraries(assembler_run_tests PRIVATE script_asm)

# libFuzzer target (Clang only): the assembler's own sources are rebuilt with
# coverage so the fuzzer can steer through them.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  get_target_property(asm_sources script_asm SOURCES)
  get_target_property(asm_dir script_asm SOURCE_DIR)
  list(TRANSFORM asm_sources PREPEND "${asm_dir}/")
  add_executable(fuzz_assembler script/fuzz_assembler.cpp ${asm_sources})
  target_compile_options(fuzz_assembler PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_assembler PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz_assembler PRIVATE script_vm)
endif()
