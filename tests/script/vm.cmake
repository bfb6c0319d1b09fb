# Tests: script/vm
velmora_test(script_vm_tests
  script/vm_builder.cpp
  script/number_text_test.cpp
  script/bytecode_file_test.cpp
  script/interpreter_test.cpp
  script/vm_faults_test.cpp
  script/vm_group_test.cpp
)
target_link_libraries(script_vm_tests PRIVATE script_vm)

# libFuzzer target for the assembled-file reader.
velmora_fuzzer(fuzz_bytecode script/fuzz_bytecode.cpp script_vm "velmora_base;engine")
