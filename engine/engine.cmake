# The HGE object: loop, textures, drawing, input, and the window and headless backends.
add_library(engine STATIC
  ${CMAKE_CURRENT_LIST_DIR}/hge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HgeImpl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HgeGfx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HgeServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/textures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless/headless.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl/SdlDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl/GlRenderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl/keymap.cpp
)
target_link_libraries(engine PUBLIC engine_util engine_audio PNG::PNG OpenGL::GL PkgConfig::SDL2)
