# Platform services with no device: INI files, paths, code pages, random numbers, fonts, clocks.
add_library(engine_util STATIC
  options.cpp
)
target_include_directories(engine_util PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(engine_util PUBLIC PkgConfig::FONTCONFIG PkgConfig::SDL2)
