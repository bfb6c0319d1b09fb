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

# libFuzzer target over listings.
velmora_fuzzer(fuzz_assembler script/fuzz_assembler.cpp script_asm script_vm)
