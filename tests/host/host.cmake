velmora_test(host_tests
  host/VariableStoreTest.cpp
  host/StartUpTest.cpp
)
target_link_libraries(host_tests PRIVATE velmora_game)
