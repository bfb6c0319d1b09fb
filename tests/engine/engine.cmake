# Tests: engine/engine
velmora_test(engine_tests
  ${CMAKE_CURRENT_LIST_DIR}/HgeGfxTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HgeLoopTest.cpp
)
target_link_libraries(engine_tests PRIVATE engine)

# The real window under a virtual X server: draws known quads and checks a screenshot.
add_executable(window_probe ${CMAKE_CURRENT_LIST_DIR}/WindowProbe.cpp)
target_link_libraries(window_probe PRIVATE engine test_support)
add_test(NAME engine_window_probe COMMAND xvfb-run -a $<TARGET_FILE:window_probe>)
# Leak checks stay with the headless tests: SDL 2.26 leaves libdbus state
# behind at exit (no dbus_shutdown), which no call of ours can release.
set_tests_properties(engine_window_probe PROPERTIES LABELS window TIMEOUT 120 RUN_SERIAL TRUE
  ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
