# Tests: engine/audio
velmora_test(engine_audio_tests
  ${CMAKE_CURRENT_LIST_DIR}/AudioDeviceTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioProbeTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AudioTest.cpp
)
target_link_libraries(engine_audio_tests PRIVATE engine_audio)
