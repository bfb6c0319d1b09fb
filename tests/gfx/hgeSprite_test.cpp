// Quad sprites as the engine receives them: texture coordinates, corners, rotation, scale, flips, colours.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "gfx/hgeSprite.h"
#include "tests/gfx/gfx_fixture.h"

namespace {

using gfx::test::HeadlessEngineTest;

class hgeSpriteTest : public HeadlessEngineTest {};

void expectCorner(const hgeVertex& v, float x, float y) {
  EXPECT_NEAR(v.x, x, 1e-4f);
  EXPECT_NEAR(v.y, y, 1e-4f);
}

void expectTex(const hgeVertex& v, float tx, float ty) {
  EXPECT_FLOAT_EQ(v.tx, tx);
  EXPECT_FLOAT_EQ(v.ty, ty);
}

TEST_F(hgeSpriteTest, RectangleOnTextureAndHotSpotCorners) {
  HTEXTURE tex = makeTexture(128, 64);
  hgeSprite sprite(tex, 32, 16, 64, 32);
  sprite.SetHotSpot(8, 4);
  auto quads = capture([&] { sprite.Render(100, 50); });
  ASSERT_EQ(quads.size(), 1u);
  const hgeQuad& q = quads[0];
  expectTex(q.v[0], 0.25f, 0.25f);
  expectTex(q.v[1], 0.75f, 0.25f);
  expectTex(q.v[2], 0.75f, 0.75f);
  expectTex(q.v[3], 0.25f, 0.75f);
  expectCorner(q.v[0], 92, 46);
  expectCorner(q.v[1], 156, 46);
  expectCorner(q.v[2], 156, 78);
  expectCorner(q.v[3], 92, 78);
  EXPECT_EQ(q.tex, tex);
  EXPECT_EQ(q.blend, BLEND_DEFAULT);
  for (const hgeVertex& v : q.v) {
    EXPECT_EQ(v.z, 0.5f);
    EXPECT_EQ(v.col, 0xFFFFFFFFu);
  }
}

TEST_F(hgeSpriteTest, WithoutTextureCoordinatesAreTexels) {
  hgeSprite sprite(0, 3, 4, 5, 6);
  auto quads = capture([&] { sprite.Render(0, 0); });
  ASSERT_EQ(quads.size(), 1u);
  expectTex(quads[0].v[0], 3, 4);
  expectTex(quads[0].v[2], 8, 10);
}

TEST_F(hgeSpriteTest, RenderExScalesAndRotatesAboutTheHotSpot) {
  hgeSprite sprite(0, 0, 0, 20, 10);
  sprite.SetHotSpot(10, 5);
  auto quads = capture([&] {
    sprite.RenderEx(100, 100, 0, 2, 0);  // vscale 0 means hscale
    sprite.RenderEx(100, 100, 0, 2, 3);
    sprite.RenderEx(0, 0, std::numbers::pi_v<float> / 2, 1, 1);
  });
  ASSERT_EQ(quads.size(), 3u);
  expectCorner(quads[0].v[0], 80, 90);
  expectCorner(quads[0].v[2], 120, 110);
  expectCorner(quads[1].v[0], 80, 85);
  expectCorner(quads[1].v[2], 120, 115);
  // A quarter turn clockwise on screen: the top-left corner (-10, -5) goes
  // to (5, -10), the top-right (10, -5) to (5, 10).
  expectCorner(quads[2].v[0], 5, -10);
  expectCorner(quads[2].v[1], 5, 10);
  expectCorner(quads[2].v[2], -5, 10);
  expectCorner(quads[2].v[3], -5, -10);
}

TEST_F(hgeSpriteTest, FlipMirrorsTextureAndHotSpotOnce) {
  hgeSprite sprite(makeTexture(64, 64), 0, 0, 32, 16);
  sprite.SetHotSpot(4, 0);
  sprite.SetFlip(true, false, true);
  float hx = 0, hy = 0;
  sprite.GetHotSpot(&hx, &hy);
  EXPECT_EQ(hx, 28);
  EXPECT_EQ(hy, 0);
  sprite.SetFlip(true, false, true);  // the same again changes nothing
  sprite.GetHotSpot(&hx, &hy);
  EXPECT_EQ(hx, 28);
  auto quads = capture([&] { sprite.Render(0, 0); });
  expectTex(quads[0].v[0], 0.5f, 0);
  expectTex(quads[0].v[1], 0, 0);
  expectTex(quads[0].v[2], 0, 0.25f);
  expectTex(quads[0].v[3], 0.5f, 0.25f);
  expectCorner(quads[0].v[0], -28, 0);

  sprite.SetFlip(false, true, true);  // x undone, y applied
  sprite.GetHotSpot(&hx, &hy);
  EXPECT_EQ(hx, 4);
  EXPECT_EQ(hy, 16);
  quads = capture([&] { sprite.Render(0, 0); });
  expectTex(quads[0].v[0], 0, 0.25f);
  expectTex(quads[0].v[2], 0.5f, 0);
}

TEST_F(hgeSpriteTest, TextureRectKeepsFlipsWithoutMirroringTwice) {
  hgeSprite sprite(makeTexture(100, 100), 0, 0, 10, 10);
  sprite.SetHotSpot(2, 0);
  sprite.SetFlip(true, false, true);
  sprite.SetTextureRect(50, 0, 20, 10, true);
  float hx = 0, hy = 0;
  sprite.GetHotSpot(&hx, &hy);
  EXPECT_EQ(hx, 8);
  auto quads = capture([&] { sprite.Render(0, 0); });
  expectTex(quads[0].v[0], 0.7f, 0);
  expectTex(quads[0].v[1], 0.5f, 0);
  expectTex(quads[0].v[3], 0.7f, 0.1f);
  float x, y, w, h;
  sprite.GetTextureRect(&x, &y, &w, &h);
  EXPECT_EQ(w, 20);
  sprite.SetTextureRect(0, 0, 5, 5, false);  // drawn size stays
  sprite.GetTextureRect(&x, &y, &w, &h);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 10);
}

TEST_F(hgeSpriteTest, SetTextureOfAnotherSizeKeepsTexelsAndFlips) {
  hgeSprite sprite(makeTexture(64, 64), 16, 0, 16, 32);
  sprite.SetFlip(true, false);
  sprite.SetTexture(makeTexture(128, 32));
  auto quads = capture([&] { sprite.Render(0, 0); });
  expectTex(quads[0].v[0], 0.25f, 0);
  expectTex(quads[0].v[1], 0.125f, 0);
  expectTex(quads[0].v[2], 0.125f, 1);
  expectTex(quads[0].v[3], 0.25f, 1);
  EXPECT_EQ(quads[0].tex, sprite.GetTexture());
}

TEST_F(hgeSpriteTest, ColourAndDepthPerVertexIgnoreBadIndices) {
  hgeSprite sprite(0, 0, 0, 1, 1);
  sprite.SetColor(0x11223344, -1);
  sprite.SetColor(0xFF0000FF, 2);
  sprite.SetColor(0xDEADBEEF, 4);
  sprite.SetColor(0xDEADBEEF, -2);
  sprite.SetZ(0.1f, 3);
  sprite.SetZ(0.9f, 7);
  auto quads = capture([&] { sprite.Render(0, 0); });
  EXPECT_EQ(quads[0].v[0].col, 0x11223344u);
  EXPECT_EQ(quads[0].v[1].col, 0x11223344u);
  EXPECT_EQ(quads[0].v[2].col, 0xFF0000FFu);
  EXPECT_EQ(quads[0].v[3].col, 0x11223344u);
  EXPECT_EQ(quads[0].v[0].z, 0.5f);
  EXPECT_EQ(quads[0].v[3].z, 0.1f);
  EXPECT_EQ(sprite.GetColor(2), 0xFF0000FFu);
  EXPECT_EQ(sprite.GetColor(4), 0u);
  EXPECT_EQ(sprite.GetColor(-5), 0u);
}

}  // namespace
