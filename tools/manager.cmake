# The script runner of the script benchmarks (tools/bench_lua.sh) and of manual checks.
add_executable(run_script run_script.cpp)
target_link_libraries(run_script PRIVATE script_manager)
