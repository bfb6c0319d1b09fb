# Instruction table, values, assembled files, threads, groups, interpreter, host registry.
add_library(script_vm STATIC
  opcodes.cpp
)
target_link_libraries(script_vm PUBLIC velmora_base engine)
