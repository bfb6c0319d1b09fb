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

# libFuzzer target for the assembled-file reader (clang only; not run by ctest).
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # The reader's own sources are compiled in again so the fuzzer sees their coverage.
  add_executable(fuzz_bytecode script/fuzz_bytecode.cpp
    ${PROJECT_SOURCE_DIR}/script/bytecode_file.cpp
    ${PROJECT_SOURCE_DIR}/script/number_text.cpp
    ${PROJECT_SOURCE_DIR}/script/opcodes.cpp)
  target_compile_options(fuzz_bytecode PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_bytecode PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_bytecode PRIVATE script_vm)
endif()
