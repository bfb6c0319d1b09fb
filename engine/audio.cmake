# Effects, streams and channels: bookkeeping shared by both backends, SDL2_mixer for sound.
add_library(engine_audio STATIC
  audio.cpp
)
target_link_libraries(engine_audio PUBLIC engine_util PkgConfig::SDL2_MIXER PkgConfig::SDL2)
