# Script sources to assembly listings: lexer, parser, tables, optimiser, listing writer, driver.
add_library(script_compiler STATIC
  compiler.cpp
  compiler_report.cpp
  compiler_tables.cpp
  lexer.cpp
  listing_writer.cpp
  optimiser.cpp
  parser.cpp
  parser_decl.cpp
  parser_expr.cpp
)
target_link_libraries(script_compiler PUBLIC script_vm)
