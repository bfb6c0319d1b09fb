// A headless engine for drawing tests, scene capture and small PNG files to load.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/hge.h"

namespace gfx::test {

// Runs each test on a freshly initiated headless engine, released after it.
class HeadlessEngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The quads [draw] records between Gfx_BeginScene and Gfx_EndScene.
  std::vector<hgeQuad> capture(const std::function<void()>& draw);
  // A blank texture of [w] x [h] texels, freed after the test.
  HTEXTURE makeTexture(int w, int h);
  // Where [tex]'s pixels are kept: the same for loads sharing one picture.
  const DWORD* pixelsOf(HTEXTURE tex);

  HGE* hge_ = nullptr;

 private:
  std::vector<HTEXTURE> textures_;
};

// Writes an opaque white RGBA PNG of [w] x [h] to [path] (folders created).
void writePng(const std::string& path, int w, int h);

}  // namespace gfx::test
