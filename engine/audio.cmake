# Effects, streams and channels: bookkeeping shared by both backends, SDL2_mixer for sound.
add_library(engine_audio STATIC
  ${CMAKE_CURRENT_LIST_DIR}/audio.cpp
  ${CMAKE_CURRENT_LIST_DIR}/audio_probe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl/sdl_audio.cpp
)
target_link_libraries(engine_audio PUBLIC engine_util PkgConfig::SDL2_MIXER PkgConfig::SDL2)
