# Assembly listings to assembled script files.
add_library(script_asm STATIC
  assembler.cpp
)
target_link_libraries(script_asm PUBLIC script_vm)
