# Tests: engine/util
velmora_test(engine_util_tests
  ${CMAKE_CURRENT_LIST_DIR}/CodepageTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IniTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OptionsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PathsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RandomTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServicesTest.cpp
)
target_link_libraries(engine_util_tests PRIVATE engine_util)
