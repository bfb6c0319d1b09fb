# Interpreter benchmark (Google Benchmark); included from tools/CMakeLists.txt.
add_executable(bench_vm ${CMAKE_CURRENT_LIST_DIR}/bench_vm.cpp)
target_link_libraries(bench_vm PRIVATE script_vm benchmark::benchmark)
