# Instruction table, values, assembled files, threads, groups, interpreter, host registry.
add_library(script_vm STATIC
  opcodes.cpp
  number_text.cpp
  vm_value.cpp
  bytecode_file.cpp
  xHostAPIManager.cpp
  vm_script.cpp
  interpreter.cpp
  vm_prepare.cpp
  vm.cpp
)
target_link_libraries(script_vm PUBLIC velmora_base engine)
