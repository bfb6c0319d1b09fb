# The HGE object: loop, textures, drawing, input, and the window and headless backends.
add_library(engine STATIC
  hge.cpp
)
target_link_libraries(engine PUBLIC engine_util engine_audio PNG::PNG OpenGL::GL PkgConfig::SDL2)
