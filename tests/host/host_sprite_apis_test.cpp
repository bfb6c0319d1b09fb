// The sprite host functions called from a compiled script: drawing, colours, tweens, deletion, meshes, borrowed textures, bad calls.
#include <gtest/gtest.h>

#include <string>

#include "gfx/xSpriteManager.h"
#include "host/host_registration.h"
#include "stg/xSourceManager.h"
#include "tests/host/host_fixture.h"

namespace {

constexpr const char* kDeclarations = R"(
host htAddSprite(id, image); host htRenderSprite(id); host htRenderSpriteWithPos(id, x, y);
host htDeleteSprite(id); host htDeleteSpriteEx(id, n); host htSetSpritePos(id, x, y);
host htSetSpriteHotSpot(id, x, y); host htSetSpriteZ(id, z); host htSetSpriteRotation(id, d);
host htSetSpriteScale(id, sx, sy); host htSetSpriteColor(id, r, g, b, a); host htSetSpriteColorEx(id, r, g, b, a, v);
host htSpriteFadeIn(id, n); host htSpriteFadeOut(id, n); host htSpriteFadeInEx(id, n, a);
host htSpriteFadeOutEx(id, n, a); host htSpriteScale(id, n, s); host htSpriteScaleEx(id, n, sx, sy);
host htMoveSpriteTo(id, n, x, y); host htEnableSpriteDistort(id, on); host htSetSpriteBlendMode(id, m);
host htSetDistortDisplacement(id, c, r, dx, dy, ref); host htSetDistortColor(id, c, r, rr, g, b, a);
host htGetDistortCols(id); host htGetDistortRows(id);
)";

constexpr const char* kScript = R"(
func addTwice() { htAddSprite(1, "wide.png"); htAddSprite(1, "small.png"); }
func place() {
  htSetSpritePos(1, 100, 50); htSetSpriteHotSpot(1, 8, 8); htSetSpriteZ(1, 0.25); htSetSpriteBlendMode(1, 3);
}
func draw() { htRenderSprite(1); }
func tint() {
  htSetSpriteColor(1, 1, 0, 0, 1); htSetSpriteColorEx(1, 0, 1, 0, 0.5, 2);
  htSetSpriteColorEx(1, 0, 0, 1, 1, 4); htSetSpriteColorEx(1, 0, 0, 1, 1, -2); htRenderSprite(1);
}
func turnAndDrawAt() { htSetSpriteRotation(1, 90); htSetSpriteScale(1, 2, 3); htRenderSpriteWithPos(1, 10, 20); }
func fadeOut() { htSpriteFadeOut(1, 4); }
func fadeIn() { htSpriteFadeIn(1, 4); }
func fadeInNow() { htSpriteFadeIn(1, 0); }
func tintAll() { htSetSpriteColorEx(1, 0, 0, 1, 1, -1); htRenderSprite(1); }
func halfNow() { htSpriteFadeOutEx(1, 0, 0.5); }
func fadeInQuarter() { htSpriteFadeInEx(1, 2, 0.25); }
func grow() { htSpriteScale(1, 2, 4); htSpriteScaleEx(1, 2, 4, 0.5); htMoveSpriteTo(1, 4, 200, 150); }
func dropSoon() { htDeleteSpriteEx(1, 2); }
func mesh() { htAddSprite(3, "mesh.png"); htSetSpritePos(3, 50, 60); htEnableSpriteDistort(3, 1); }
func shape() {
  htSetDistortDisplacement(3, 1, 1, 5, 5, 0); htSetDistortColor(3, 0, 0, 1, 0, 0, 1);
  htSetDistortDisplacement(3, -1, 1, 50, 50, 1); htSetDistortColor(3, 0, -1, 0, 1, 0, 1);
  return htGetDistortCols(3) * 10 + htGetDistortRows(3);
}
func drawMesh() { htRenderSprite(3); }
func dimMesh() { htSpriteFadeOutEx(3, 0, 0.5); }
func meshAgain() { htEnableSpriteDistort(3, 1); }
func meshOff() { htEnableSpriteDistort(3, 0); return htGetDistortCols(3); }
func noMesh() { htAddSprite(4, "none.png"); htEnableSpriteDistort(4, 1); return htGetDistortCols(4) + htGetDistortCols(1); }
func unknownIds() { htRenderSprite(99); htSetSpritePos(99, 1, 1); htSpriteFadeIn(99, 3); htEnableSpriteDistort(99, 1); }
func borrow() { htAddSprite(5, "enemy.png"); }
func dropBorrowed() { htAddSprite(5, "small.png"); htDeleteSprite(5); }
)";

class HostSpriteTest : public host::test::HostScriptTest {
 protected:
  void SetUp() override {
    HostScriptTest::SetUp();
    gfx::test::writePng("data/graphic/wide.png", 32, 16);
    gfx::test::writePng("data/graphic/small.png", 16, 16);
    gfx::test::writePng("data/graphic/mesh.png", 4, 3);
    RegisterHostSpriteAPIs();
    focusScript(std::string(kDeclarations) + kScript);
  }
  static xSprite* sprite(int id) { return xSpriteManager::getInstance()->findSprite(id); }
  static void updates(int n) {
    for (int i = 0; i < n; ++i) xSpriteManager::getInstance()->update();
  }
  std::vector<hgeQuad> drawn(const char* func) {
    return capture([&] { call(func); });
  }
};

TEST_F(HostSpriteTest, SpritesDrawFadeMoveAndGoAsTheScriptSays) {
  call("addTwice");
  EXPECT_EQ(sprite(1)->sprite->GetWidth(), 16);  // the second image replaced the first
  call("place");
  std::vector<hgeQuad> quads = drawn("draw");
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_FLOAT_EQ(quads[0].v[0].x, 92);
  EXPECT_FLOAT_EQ(quads[0].v[0].y, 42);
  EXPECT_FLOAT_EQ(quads[0].v[3].z, 0.25f);
  EXPECT_EQ(quads[0].blend, 3);
  // Colours hold for the frame they are set in: corner 2 alone, bad corners ignored.
  quads = drawn("tint");
  EXPECT_EQ(quads[0].v[2].col, 0x7F00FF00u);
  EXPECT_EQ(quads[0].v[3].col, 0xFFFF0000u);
  quads = drawn("tintAll");
  for (const hgeVertex& v : quads[0].v) EXPECT_EQ(v.col, 0xFF0000FFu);
  updates(1);
  EXPECT_EQ(drawn("draw")[0].v[3].col, 0xFFFFFFFFu);
  quads = drawn("turnAndDrawAt");  // a quarter turn clockwise, scaled about the hot spot
  EXPECT_NEAR(quads[0].v[0].x, 10 + 24, 1e-3);
  EXPECT_NEAR(quads[0].v[0].y, 20 - 16, 1e-3);

  call("fadeOut");
  updates(4);
  EXPECT_TRUE(drawn("draw").empty());
  call("fadeOut");  // from 0 it stays at 0
  updates(2);
  EXPECT_EQ(sprite(1)->color.a, 0);
  call("fadeInNow");
  EXPECT_EQ(sprite(1)->color.a, 1);
  call("fadeIn");
  EXPECT_FLOAT_EQ(sprite(1)->color.a, 0.01f);
  updates(4);
  EXPECT_FLOAT_EQ(sprite(1)->color.a, 1);
  call("halfNow");
  EXPECT_FLOAT_EQ(sprite(1)->color.a, 0.5f);
  call("fadeInQuarter");  // from 0.01 up by 0.125 a frame
  updates(2);
  EXPECT_FLOAT_EQ(sprite(1)->color.a, 0.26f);
  call("grow");
  updates(5);
  EXPECT_FLOAT_EQ(sprite(1)->scaleY, 0.5f);
  EXPECT_FLOAT_EQ(sprite(1)->x, 200);
  EXPECT_FLOAT_EQ(sprite(1)->y, 150);

  call("dropSoon");
  updates(3);
  EXPECT_EQ(sprite(1), nullptr);
  call("addTwice");
  updates(10);
  EXPECT_NE(sprite(1), nullptr) << "the delayed deletion fires once";
}

TEST_F(HostSpriteTest, ADistortionMeshIsLaidOverTheImageShapedAndDrawnInItsPlace) {
  call("mesh");
  EXPECT_EQ(call("shape").intValue, 43);
  std::vector<hgeQuad> quads = drawn("drawMesh");
  ASSERT_EQ(quads.size(), 6u);  // 3 x 2 cells
  EXPECT_FLOAT_EQ(quads[0].v[0].x, 50);
  EXPECT_FLOAT_EQ(quads[0].v[0].y, 60);
  EXPECT_EQ(quads[0].v[0].col, 0xFFFF0000u);
  EXPECT_FLOAT_EQ(quads[0].v[1].tx, 1.0f / 3);  // four nodes over four texels
  EXPECT_FLOAT_EQ(quads[0].v[2].x, 50 + 4.0f / 3 + 5);  // node (1, 1) displaced
  EXPECT_FLOAT_EQ(quads[0].v[3].y, 60 + 1.5f);  // node (0, 1) untouched by the call for column -1
  EXPECT_EQ(quads[0].v[3].col, 0xFFFFFFFFu);
  call("dimMesh");  // the sprite's colour tints the nodes as they are drawn
  updates(1);
  for (int twice = 0; twice < 2; ++twice) EXPECT_EQ(drawn("drawMesh")[0].v[0].col, 0x7FFF0000u);

  call("meshAgain");  // a fresh mesh
  EXPECT_EQ(drawn("drawMesh")[0].v[0].col, 0x7FFFFFFFu);  // white again, still tinted
  EXPECT_EQ(call("meshOff").intValue, 4);  // kept, but the quad is drawn again
  EXPECT_EQ(drawn("drawMesh").size(), 1u);
  EXPECT_EQ(call("noMesh").intValue, 0);
  EXPECT_FALSE(sprite(4)->distorted);
}

// Replacing or deleting a sprite whose texture enemies borrow leaves theirs
// drawable; the last enemy frees it.
TEST_F(HostSpriteTest, EnemiesKeepABorrowedTextureAlive) {
  call("borrow");
  HTEXTURE tex = sprite(5)->sprite->GetTexture();
  xSourceManager* enemies = xSourceManager::getInstance();
  ASSERT_EQ(enemies->createSourceWithSprite(5, 0, 0, 16, 16, 100, 100, 5, 0), 0);
  ASSERT_EQ(enemies->createSourceWithSprite(5, 16, 0, 16, 16, 200, 100, 5, 0), 1);
  call("dropBorrowed");
  enemies->removeSource(0);
  EXPECT_EQ(hge_->Texture_GetWidth(tex), 64);
  enemies->removeSource(1);
  EXPECT_EQ(hge_->Texture_GetWidth(tex), 0);
}

TEST_F(HostSpriteTest, BadGroupsAndUnknownIdsAreSilentAndChangeNothing) {
  call("addTwice");
  call("mesh");
  std::string before = log();
  EXPECT_EQ(callFromBadGroup(kDeclarations), 25);
  call("unknownIds");
  EXPECT_EQ(sprite(1)->sprite->GetWidth(), 16);
  EXPECT_FALSE(sprite(1)->fading || sprite(1)->moving || sprite(1)->scaling);
  EXPECT_TRUE(sprite(3)->distorted);
  EXPECT_EQ(sprite(99), nullptr);
  EXPECT_EQ(log(), before);
}

}  // namespace
