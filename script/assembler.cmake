# Assembly listings to assembled script files.
add_library(script_asm STATIC
  asm_lexer.cpp
  asm_pass1.cpp
  asm_pass2.cpp
  assembler.cpp
)
target_link_libraries(script_asm PUBLIC script_vm)
