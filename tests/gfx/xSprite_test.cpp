// The game sprite: loading, fades, moves, scaling, rotation, distortion, shared textures, a missing image.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "base/xLogFile.h"
#include "engine/options.h"
#include "gfx/shared_texture.h"
#include "gfx/xSprite.h"
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using gfx::test::HeadlessEngineTest;

class xSpriteTest : public HeadlessEngineTest {
 protected:
  void SetUp() override {
    xLogFile::resetForTests();
    HeadlessEngineTest::SetUp();
    gfx::test::writePng("data/graphic/ui/box.png", 32, 16);
  }
  void TearDown() override {
    HeadlessEngineTest::TearDown();
    xLogFile::resetForTests();
  }

  // The alpha byte of the one quad [sprite] draws, or -1 when it draws none.
  int drawnAlpha(xSprite& sprite) {
    auto quads = capture([&] { sprite.render(); });
    if (quads.empty()) return -1;
    return static_cast<int>(quads[0].v[0].col >> 24);
  }

  int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  ScopedTempDir dir_;
};

TEST_F(xSpriteTest, LoadsFromTheGraphicsFolderThroughTheCaseResolver) {
  xSprite sprite("UI/box.png");
  ASSERT_TRUE(sprite.sprite);
  EXPECT_EQ(sprite.sprite->GetWidth(), 32);
  EXPECT_EQ(sprite.sprite->GetHeight(), 16);
  EXPECT_EQ(sprite.color.GetHWColor(), 0xFFFFFFFFu);
  sprite.setPos(10, 20);
  auto quads = capture([&] { sprite.render(); });
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0].v[2].x, 42);
  EXPECT_EQ(quads[0].v[2].y, 36);

  gfx::test::writePng("data/UI/only_ui.png", 4, 4);
  xSprite elsewhere("only_ui.png");
  EXPECT_FALSE(elsewhere.sprite);
}

TEST_F(xSpriteTest, MissingImageLogsOnceAndIgnoresEveryPictureCall) {
  {
    xSprite sprite("nothing/here.png");
    EXPECT_FALSE(sprite.sprite);
    sprite.fade(4, 0.5f, true, false);
    sprite.scaleTo(2, 3, 3);
    sprite.moveTo(2, 8, 6);
    sprite.setHotSpot(1, 1);
    sprite.setHotSpotCenter();
    sprite.setTextureRect(0, 0, 4, 4);
    sprite.enableDistort();
    sprite.setColor(0xFF00FF00);
    sprite.rotationMode = xSprite::kRotateForever;
    sprite.rotationSpeed = 0.5f;
    for (int i = 0; i < 3; ++i) sprite.update();
    auto quads = capture([&] {
      sprite.render();
      sprite.renderEx(0, 0);
    });
    EXPECT_TRUE(quads.empty());
    EXPECT_FALSE(sprite.distortMesh);
    // The tweens and the colour go on without a picture.
    EXPECT_EQ(sprite.x, 8);
    EXPECT_EQ(sprite.scaleX, 3);
    EXPECT_FLOAT_EQ(sprite.rotation, 1.5f);
    EXPECT_EQ(sprite.color.GetHWColor(), 0xFF00FF00u);
  }
  std::string log = dir_.read("log.txt");
  EXPECT_EQ(count(log, "xSprite::xSprite(name): Error loading sprite nothing/here.png"), 1) << log;
}

TEST_F(xSpriteTest, FadeInFromAlmostTransparent) {
  xSprite sprite("ui/box.png");
  sprite.fade(60, 1, true, false);
  EXPECT_EQ(drawnAlpha(sprite), 2);  // 0.01 applied at once
  sprite.update();
  EXPECT_FLOAT_EQ(sprite.color.a, 0.01f + 1.0f / 60);
  for (int i = 1; i < 59; ++i) sprite.update();
  EXPECT_LT(sprite.color.a, 1);
  sprite.update();  // 60th: the overshoot is clamped
  EXPECT_EQ(sprite.color.a, 1);
  EXPECT_EQ(drawnAlpha(sprite), 255);
  for (int i = 0; i < 5; ++i) sprite.update();  // target, then the tween clears
  EXPECT_EQ(sprite.color.a, 1);
  EXPECT_FALSE(sprite.alphaTween.active);
}

TEST_F(xSpriteTest, FadeOutToZeroStopsDrawingAndZeroFramesIsImmediate) {
  xSprite sprite("ui/box.png");
  sprite.fade(4, 0, false, false);
  const int expected[] = {191, 127, 63};
  for (int alpha : expected) {
    sprite.update();
    EXPECT_EQ(drawnAlpha(sprite), alpha);
  }
  sprite.update();
  EXPECT_EQ(sprite.color.a, 0);
  EXPECT_EQ(drawnAlpha(sprite), -1);

  sprite.fade(0, 0.5f, true, false);
  EXPECT_EQ(sprite.color.a, 0.5f);
  sprite.update();
  EXPECT_EQ(drawnAlpha(sprite), 127);
  sprite.fade(10, 1, true, true);  // from the current alpha
  sprite.update();
  EXPECT_FLOAT_EQ(sprite.color.a, 0.55f);
  sprite.fade(0, 3, false, false);  // clamped like the tween's values
  sprite.update();
  EXPECT_EQ(drawnAlpha(sprite), 255);
}

TEST_F(xSpriteTest, MoveArrivesOnTheFrameItsCounterAllows) {
  xSprite sprite("ui/box.png");
  // 0.7 / 30 summed 30 times is not 0.7 in floats, so only the tween's
  // final assignment lands exactly on the target.
  sprite.moveTo(30, 0.7f, 60);
  for (int i = 0; i < 30; ++i) sprite.update();
  EXPECT_NE(sprite.x, 0.7f);
  EXPECT_NEAR(sprite.x, 0.7f, 1e-4f);
  sprite.update();  // 31st update on a fresh sprite
  EXPECT_EQ(sprite.x, 0.7f);
  EXPECT_EQ(sprite.y, 60);
  EXPECT_TRUE(sprite.moveTween.active);
  sprite.update();  // the tween clears; the sprite keeps its place
  EXPECT_FALSE(sprite.moveTween.active);
  EXPECT_EQ(sprite.x, 0.7f);

  sprite.moveTo(30, 0, 0);  // after a finished move: one frame sooner
  for (int i = 1; i < 30; ++i) sprite.update();
  EXPECT_GT(sprite.x, 0.01f);
  sprite.update();
  EXPECT_EQ(sprite.x, 0);
  sprite.update();
  EXPECT_FALSE(sprite.moveTween.active);
}

TEST_F(xSpriteTest, MoveRestartedDuringAMove) {
  xSprite sprite("ui/box.png");
  sprite.moveTo(30, 300, 0);
  for (int i = 0; i < 20; ++i) sprite.update();
  EXPECT_EQ(sprite.x, 200);
  sprite.moveTo(10, 0, 0);  // counter 20 is past 10: restarts instead of ending unmoved
  sprite.update();
  EXPECT_EQ(sprite.x, 180);
  for (int i = 0; i < 10; ++i) sprite.update();
  EXPECT_EQ(sprite.x, 0);
  EXPECT_TRUE(sprite.moveTween.active);

  sprite.setPos(0, 0);
  sprite.moveTo(30, 300, 0);
  for (int i = 0; i < 5; ++i) sprite.update();
  sprite.moveTo(10, 100, 0);  // counter 5 carries over: arrives at 10
  for (int i = 0; i < 5; ++i) sprite.update();
  EXPECT_EQ(sprite.x, 75);
  sprite.update();
  EXPECT_EQ(sprite.x, 100);

  sprite.moveTo(0, 7, 8);
  EXPECT_EQ(sprite.x, 7);
  EXPECT_EQ(sprite.y, 8);
  sprite.update();
  EXPECT_EQ(sprite.x, 7);
}

TEST_F(xSpriteTest, ScaleTweenAndScaledDrawing) {
  xSprite sprite("ui/box.png");
  sprite.setHotSpotCenter();
  sprite.setPos(100, 100);
  sprite.scaleTo(2, 2, 3);
  sprite.update();
  EXPECT_FLOAT_EQ(sprite.scaleX, 1.5f);
  EXPECT_FLOAT_EQ(sprite.scaleY, 2);
  sprite.update();
  sprite.update();
  EXPECT_EQ(sprite.scaleX, 2);
  EXPECT_EQ(sprite.scaleY, 3);
  auto quads = capture([&] { sprite.render(); });
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_FLOAT_EQ(quads[0].v[0].x, 68);  // 100 - 16 x 2
  EXPECT_FLOAT_EQ(quads[0].v[0].y, 76);  // 100 - 8 x 3
  quads = capture([&] { sprite.renderEx(0, 0); });
  EXPECT_FLOAT_EQ(quads[0].v[2].x, 32);

  sprite.scaleTo(0, 0.5f, 0.5f);
  EXPECT_EQ(sprite.scaleX, 0.5f);
  sprite.update();
  EXPECT_EQ(sprite.scaleY, 0.5f);
}

TEST_F(xSpriteTest, CountedRotationAddsLimitPlusOneSteps) {
  xSprite sprite("ui/box.png");
  sprite.rotationMode = xSprite::kRotateCounted;
  sprite.rotationSpeed = 0.25f;
  sprite.rotationLimit = 10;
  for (int i = 0; i < 20; ++i) sprite.update();
  EXPECT_FLOAT_EQ(sprite.rotation, 11 * 0.25f);
  EXPECT_EQ(sprite.rotationMode, xSprite::kRotateNone);
  EXPECT_EQ(sprite.rotationCount, 0);
  EXPECT_EQ(sprite.rotationLimit, 0);
}

TEST_F(xSpriteTest, ColourHeldUntilTheNextUpdate) {
  xSprite sprite("ui/box.png");
  sprite.setColor(0x80102030);
  sprite.sprite->SetColor(0xFFFFFFFF, 1);  // as a script would, for one frame
  auto quads = capture([&] { sprite.render(); });
  EXPECT_EQ(quads[0].v[0].col, 0x80102030u);
  EXPECT_EQ(quads[0].v[1].col, 0xFFFFFFFFu);
  sprite.update();
  quads = capture([&] { sprite.render(); });
  EXPECT_EQ(quads[0].v[1].col, 0x80102030u);
}

TEST_F(xSpriteTest, DistortMeshIsOwnedAndReplaced) {
  xSprite sprite("ui/box.png");
  sprite.setTextureRect(0, 0, 5.9f, 3);
  sprite.enableDistort();
  ASSERT_TRUE(sprite.distortMesh);
  EXPECT_EQ(sprite.distortMesh->GetCols(), 5);
  EXPECT_EQ(sprite.distortMesh->GetRows(), 3);
  EXPECT_EQ(sprite.distortMesh->GetTexture(), sprite.sprite->GetTexture());
  sprite.distortMesh->SetColor(1, 1, 0x11111111);
  sprite.enableDistort();
  EXPECT_EQ(sprite.distortMesh->GetColor(1, 1), 0xFFFFFFFFu);
  auto quads = capture([&] { sprite.render(); });
  EXPECT_EQ(quads.size(), 1u);  // the mesh is not drawn by render
}

TEST_F(xSpriteTest, DistortMeshOverABadTextureRectIsEmpty) {
  xSprite sprite("ui/box.png");
  sprite.setTextureRect(0, 0, std::nanf(""), -4);
  sprite.enableDistort();
  ASSERT_TRUE(sprite.distortMesh);
  EXPECT_EQ(sprite.distortMesh->GetCols(), 0);
  EXPECT_EQ(sprite.distortMesh->GetRows(), 0);
}

// Scripts set any texture rectangle; a mesh of one node per texel must not
// ask for unbounded memory.
TEST_F(xSpriteTest, DistortMeshBeyondTheNodeBoundIsRefusedWithALogLine) {
  xSprite sprite("ui/box.png");
  sprite.enableDistort();
  ASSERT_TRUE(sprite.distortMesh);
  sprite.setTextureRect(0, 0, 65535, 65535);
  sprite.enableDistort();
  EXPECT_FALSE(sprite.distortMesh) << "the old mesh goes too: the sprite stays undistorted";
  sprite.setTextureRect(0, 0, 2048, 2049);
  sprite.enableDistort();
  EXPECT_FALSE(sprite.distortMesh);
  std::string log = dir_.read("log.txt");
  EXPECT_EQ(count(log, "xSprite::enableDistort: a mesh of 65535 x 65535 nodes is too large"), 1) << log;
  EXPECT_EQ(count(log, "a mesh of 2048 x 2049 nodes is too large"), 1) << log;
  sprite.setTextureRect(0, 0, 2048, 2048);
  sprite.enableDistort();
  ASSERT_TRUE(sprite.distortMesh);
  EXPECT_EQ(sprite.distortMesh->GetRows(), 2048);
}

TEST_F(xSpriteTest, LastOwnerFreesTheTexture) {
  HTEXTURE tex = 0;
  {
    auto loaded = std::make_unique<xSprite>("ui/box.png");
    tex = loaded->texture.get();
    ASSERT_NE(tex, 0u);
    xSprite borrower(loaded->texture, 0, 0, 8, 8);
    EXPECT_EQ(loaded->texture.owners(), 2);
    loaded.reset();
    EXPECT_EQ(hge_->Texture_GetWidth(tex), 32);  // still held by the borrower
    auto quads = capture([&] { borrower.render(); });
    EXPECT_EQ(quads[0].tex, tex);
  }
  EXPECT_EQ(hge_->Texture_GetWidth(tex), 0);

  HTEXTURE foreign = makeTexture(8, 8);
  { xSprite user(foreign, 0, 0, 8, 8); }
  EXPECT_EQ(hge_->Texture_GetWidth(foreign), 8);  // not the sprite's to free
}

// Each drawing object takes an engine reference and must give it back: if
// one leaked, the engine would survive the last Release below and still
// carry the marker title.
TEST(EngineReferenceTest, DrawingObjectsReturnTheirReferences) {
  ScopedTempDir dir;
  xLogFile::resetForTests();
  engine::options().backend = engine::Backend::Headless;
  HGE* hge = hgeCreate(HGE_VERSION);
  ASSERT_TRUE(hge->System_Initiate());
  hge->System_SetState(HGE_TITLE, "reference marker");
  HTEXTURE marker = hge->Texture_Create(4, 4);
  {
    xSprite missing("missing.png");
    xSprite over(marker, 0, 0, 4, 4);
    over.enableDistort();
    over.enableDistort();
    hgeSprite copy(*over.sprite);
    hgeDistortionMesh mesh(2, 2);
    xSprite shared(gfx::SharedTexture(hge->Texture_Create(2, 2)), 0, 0, 2, 2);
  }
  hge->System_Shutdown();
  hge->Release();
  HGE* fresh = hgeCreate(HGE_VERSION);
  EXPECT_STRNE(fresh->System_GetState(HGE_TITLE), "reference marker");
  fresh->Release();
  xLogFile::resetForTests();
}

}  // namespace
