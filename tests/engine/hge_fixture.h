// A fresh headless engine per test, with the process-wide options and scripted input reset.
#pragma once

#include <gtest/gtest.h>

#include "engine/headless/headless.h"
#include "engine/hge.h"
#include "engine/options.h"

class HgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::options() = engine::Options{};
    engine::options().backend = engine::Backend::Headless;
    engine::headless::clearInput();
    hge_ = hgeCreate(HGE_VERSION);
    ASSERT_NE(hge_, nullptr);
  }
  void TearDown() override {
    if (hge_) hge_->Release();
    engine::headless::clearInput();
    engine::options() = engine::Options{};
  }
  // Creation reads the options: tests that change them start over with this.
  void recreate() {
    hge_->Release();
    hge_ = hgeCreate(HGE_VERSION);
  }
  void initiate() { ASSERT_TRUE(hge_->System_Initiate()) << hge_->System_GetErrorMessage(); }

  HGE* hge_ = nullptr;
};

// A quad of one colour from (x1, y1) to (x2, y2).
inline hgeQuad makeQuad(float x1, float y1, float x2, float y2, HTEXTURE tex = 0,
                        int blend = BLEND_DEFAULT, DWORD col = 0xFFFFFFFF) {
  hgeQuad q{};
  const float xs[4] = {x1, x2, x2, x1};
  const float ys[4] = {y1, y1, y2, y2};
  for (int i = 0; i < 4; ++i) q.v[i] = hgeVertex{xs[i], ys[i], 0.5f, col, (i == 1 || i == 2) ? 1.0f : 0.0f,
                                                 i >= 2 ? 1.0f : 0.0f};
  q.tex = tex;
  q.blend = blend;
  return q;
}
