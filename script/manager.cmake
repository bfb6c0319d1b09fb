# The script manager: the one entry the game uses (compile, assemble, load, call by name).
add_library(script_manager STATIC
  xScriptManager.cpp
)
target_link_libraries(script_manager PUBLIC script_compiler script_asm script_vm velmora_base)
