// Floating texts: the life cycle frame by frame, what is drawn, and handles after deletion.
#include "gfx/xFloatingText.h"

#include "tests/gfx/font_fixture.h"

namespace gfx::test {
namespace {

class FloatingTextTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    engine::setSystemFontOverride([](std::string_view) { return std::string(); });
    xFloatingTextManager::resetForTests();
  }
  void TearDown() override {
    xFloatingTextManager::resetForTests();
    FontTest::TearDown();
  }
  static xFloatingTextManager* texts() { return xFloatingTextManager::getInstance(); }
  std::vector<hgeQuad> drawn() {
    return capture([] { texts()->render(); });
  }
};

TEST_F(FloatingTextTest, GlidesFadesInAndOutAndIsDeletedTheUpdateAfterItsLife) {
  // Life 60, fade-in 10, fade-out 20, from (100, 200) to (160, 80).
  const float a = 0x80 / 255.0f;
  FloatingTextId id = texts()->addText("Bonus", "DejaVuSans.ttf", 20, 0x80FF0000, 100, 200, 160, 80, 60, 10, 20);
  xFloatingText* text = texts()->get(id);
  ASSERT_NE(text, nullptr);
  ASSERT_NE(text->font, nullptr);
  EXPECT_EQ(text->text, L"Bonus");
  EXPECT_FLOAT_EQ(text->colour.a, 0);
  EXPECT_EQ(text->align, 2);

  for (int update = 1; update <= 61; ++update) {
    texts()->update();
    ASSERT_EQ(texts()->get(id), text);
    SCOPED_TRACE(update);
    if (update <= 60) {
      EXPECT_NEAR(text->x, 100 + update, 1e-3);
    }
    if (update <= 10) {
      EXPECT_NEAR(text->colour.a, a * update / 10, 1e-5);
    }
    if (update > 10 && update <= 40) {
      EXPECT_FLOAT_EQ(text->colour.a, a);
    }
    if (update >= 41 && update <= 60) {
      EXPECT_NEAR(text->colour.a, a - a * (update - 40) / 20, 1e-5);
    }
    EXPECT_EQ(text->alive, update <= 60);
  }
  EXPECT_FLOAT_EQ(text->x, 160);
  EXPECT_FLOAT_EQ(text->y, 80);
  EXPECT_FLOAT_EQ(text->colour.a, 0);
  EXPECT_EQ(drawn().size(), 5u) << "no longer alive, still drawn until the next update";

  texts()->update();
  EXPECT_EQ(texts()->get(id), nullptr);
  EXPECT_EQ(texts()->size(), 0u);
  EXPECT_TRUE(drawn().empty());
  // A newer text in the same slot does not answer to the old handle.
  FloatingTextId next = texts()->addText("x", "DejaVuSans.ttf", 20, 0xFFFFFFFF, 0, 0, 0, 0, 10, 1, 1);
  EXPECT_EQ(texts()->get(id), nullptr);
  EXPECT_NE(texts()->get(next), nullptr);
  EXPECT_EQ(texts()->get(kNoFloatingText), nullptr);
}

TEST_F(FloatingTextTest, WithoutFadeInItShowsAtOnceAndDrawsPercentSignsAsText) {
  FloatingTextId percent = texts()->addText("100%", "DejaVuSans.ttf", 20, 0xC0FFFFFF, 50, 50, 50, 50, 3, 0, 0);
  ASSERT_NE(texts()->get(percent), nullptr);
  EXPECT_FLOAT_EQ(texts()->get(percent)->colour.a, 0xC0 / 255.0f);
  std::vector<hgeQuad> quads = drawn();
  ASSERT_EQ(quads.size(), 4u) << "one quad per character, the % included";
  for (const hgeQuad& q : quads) EXPECT_EQ(q.v[0].col >> 24, 0xC0u);
  // Centred on x: the text's middle is at 50.
  EXPECT_LT(quads.front().v[0].x, 50);
  EXPECT_GT(quads.back().v[1].x, 50);

  FloatingTextId missing = texts()->addText("lost", "NoSuchFont.ttf", 20, 0xFFFFFFFF, 0, 0, 0, 0, 3, 1, 1);
  ASSERT_NE(texts()->get(missing), nullptr);
  EXPECT_EQ(texts()->get(missing)->font, nullptr);
  EXPECT_EQ(drawn().size(), 4u) << "a text without a font draws nothing";
  for (int i = 0; i < 4; ++i) texts()->update();
  EXPECT_NE(texts()->get(missing), nullptr);
  EXPECT_FALSE(texts()->get(missing)->alive);
  texts()->update();
  EXPECT_EQ(texts()->get(missing), nullptr);
  EXPECT_EQ(texts()->get(percent), nullptr);
}

}  // namespace
}  // namespace gfx::test
