velmora_test(script_manager_tests
  script/ManagerTest.cpp
  script/PipelineTest.cpp
  script/PipelineSafetyTest.cpp
)
target_link_libraries(script_manager_tests PRIVATE script_manager)
