velmora_test(core_tests
  core/LogTest.cpp
  core/ResourcePathTest.cpp
  core/RunTest.cpp
  core/xSystemTest.cpp
)
target_link_libraries(core_tests PRIVATE velmora_game)
target_compile_definitions(core_tests PRIVATE VELMORA_EXE="$<TARGET_FILE:velmora>")
add_dependencies(core_tests velmora)
