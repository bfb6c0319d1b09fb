# Platform services with no device: INI files, paths, code pages, random numbers, fonts, clocks.
add_library(engine_util STATIC
  ${CMAKE_CURRENT_LIST_DIR}/codepage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fonts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ini.cpp
  ${CMAKE_CURRENT_LIST_DIR}/options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/paths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/random.cpp
  ${CMAKE_CURRENT_LIST_DIR}/services.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl/MessageBox.cpp
)
target_include_directories(engine_util PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(engine_util PUBLIC PkgConfig::FONTCONFIG PkgConfig::SDL2)
