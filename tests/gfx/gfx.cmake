# Tests: gfx/gfx
velmora_test(gfx_tests
  gfx/GfxTestSupport.cpp
  gfx/GeometryTest.cpp
  gfx/EffectTest.cpp
  gfx/hgeSpriteTest.cpp
  gfx/DistortionMeshTest.cpp
  gfx/xSpriteTest.cpp
)
target_link_libraries(gfx_tests PRIVATE velmora_gfx PNG::PNG)
