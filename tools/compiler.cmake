# Compile, assemble and load time of a generated 5,000-line script.
add_executable(bench_compiler bench_compiler.cpp)
target_link_libraries(bench_compiler PRIVATE script_compiler script_asm benchmark::benchmark)
