# Script sources to assembly listings.
add_library(script_compiler STATIC
  compiler.cpp
)
target_link_libraries(script_compiler PUBLIC script_vm)
