// The font and text-box host functions called from a compiled script: fonts by index and face, boxes and their text, bad calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "gfx/hgeTTFont.h"
#include "gfx/xFontManager.h"
#include "gfx/xTextBox.h"
#include "host/host_registration.h"
#include "tests/host/host_fixture.h"

namespace {

constexpr const char* kDeclarations = R"(
host htCreateFont(face, size); host htRenderStr(font, x, y, text); host htCreateFontWithColor(face, size, r, g, b, a);
host htCreateFontWithColorEx(face, size, r, g, b, a, bold, italic, aa); host htSetFontColor(font, r, g, b, a);
host htSetFontKerning(font, k); host htRenderStrEx(face, x, y, text); host htCreateTextBox(x, y, w, h, font, size);
host htDeleteTextBox(box); host htMoveTextBoxTo(box, n, x, y); host htSetTextBoxColor(box, r, g, b, a);
host htSetTextBoxPos(box, x, y); host htSetTextBoxFrame(box, image, ox, oy);
host htSetTextBoxGradient(box, image, ox, oy); host htSetTextBoxInfo(box, reveal, fade);
host htSetTextBoxText(box, text); host htAddTextBoxText(box, text); host htSetTextBoxSize(box, x, y, w, h);
host htSetTextBoxFadeUpdateDuration(box, n); host htSetTextBoxScrollUpdateDuration(box, n);
)";

constexpr const char* kScript = R"(
func fonts() {
  var f = htCreateFont("DejaVu Sans", 16);
  var g = htCreateFontWithColor("DejaVu Sans", 12, 1, 0, 0, 1);
  return f * 100 + g * 10 + htCreateFontWithColorEx("DejaVu Sans", 14, 0, 0, 1, 0.5, 1, 1, 0);
}
func printAB() { htSetFontColor(0, 0, 1, 0, 1); htSetFontKerning(0, 3); htRenderStr(0, 10, 20, "AB"); }
func printByFace() { htRenderStrEx("DejaVu Serif", 5, 5, "C"); htRenderStrEx("DejaVu Serif", 5, 30, "D"); }
func badFonts() { htRenderStr(7, 0, 0, "x"); htSetFontColor(-1, 1, 1, 1, 1); htSetFontKerning(9, 1); }
func boxes() {
  var box = htCreateTextBox(100, 100, 200, 100, "DejaVuSans.ttf", 16);
  var other = htCreateTextBox(0, 0, 50, 50, "none.ttf", 16);
  htDeleteTextBox(box); htDeleteTextBox(42);
  return htCreateTextBox(100, 100, 200, 100, "DejaVuSans.ttf", 16) * 10 + other;
}
func write() {
  htSetTextBoxText(0, "Hi"); htSetTextBoxColor(0, 1, 0, 0, 1); htAddTextBoxText(0, "!");
  htSetTextBoxText(1, "xyz"); htSetTextBoxColor(1, 1, 0, 0, 1);
  htSetTextBoxFrame(0, "frame.png", 4, 6); htSetTextBoxGradient(1, "frame.png", 2, 3);
}
func place() { htSetTextBoxPos(0, 10, 10); htSetTextBoxSize(1, 5, 6, 70, 80); }
func reveal() {
  htSetTextBoxInfo(0, 1, 1); htSetTextBoxText(0, "abc");
  htSetTextBoxScrollUpdateDuration(0, 2); htSetTextBoxFadeUpdateDuration(0, 4);
}
func fadeAtOnce() { htSetTextBoxFadeUpdateDuration(0, 0); htMoveTextBoxTo(0, 4, 50, 60); }
func strayBox() { htSetTextBoxText(9, "x"); htMoveTextBoxTo(-1, 4, 50, 60); htSetTextBoxSize(2, 1, 1, 1, 1); }
)";

class HostFontTest : public host::test::HostScriptTest {
 protected:
  void SetUp() override {
    HostScriptTest::SetUp();
    std::filesystem::create_directories("data/font");
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "data/font/DejaVuSans.ttf");
    gfx::test::writePng("data/graphic/frame.png", 8, 8);
    engine::clearPathCache();
    engine::setSystemFontOverride([](std::string_view) { return std::string(); });
    ttFonts_ = std::make_unique<TTFontManager>(hge_);
    RegisterHostFontAPIs();
    focusScript(std::string(kDeclarations) + kScript);
  }
  void TearDown() override {
    resetAll();
    ttFonts_.reset();
    engine::setSystemFontOverride(nullptr);
    HostScriptTest::TearDown();
  }
  void resetAll() override {
    HostScriptTest::resetAll();
    xTextBoxManager::resetForTests();
    xFontManager::resetForTests();
  }
  static GfxFont* font(int index) { return xFontManager::getInstance()->getFont(index); }
  static xTextBox* box(int index) { return xTextBoxManager::getInstance()->getTextBox(index); }
  static void updates(int n) {
    for (int i = 0; i < n; ++i) xTextBoxManager::getInstance()->update();
  }
  std::vector<hgeQuad> drawnBoxes() {
    return capture([] { xTextBoxManager::getInstance()->render(); });
  }

  std::unique_ptr<TTFontManager> ttFonts_;
};

TEST_F(HostFontTest, ScriptsMakeFontsColourThemAndPrintByIndexOrFace) {
  EXPECT_EQ(call("fonts").intValue, 12);  // indices 0, 1, 2
  EXPECT_EQ(font(1)->GetColor(), 0xFFFF0000u);
  EXPECT_EQ(font(2)->GetColor(), 0x7F0000FFu);
  EXPECT_EQ(font(2)->GetFontSize(), 14);
  std::vector<hgeQuad> quads = capture([&] { call("printAB"); });
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_EQ(quads[1].v[3].col, 0xFF00FF00u);
  float penA = quads[0].v[0].x + font(0)->getGlyph(L'A')->offsetX;
  float penB = quads[1].v[0].x + font(0)->getGlyph(L'B')->offsetX;
  EXPECT_FLOAT_EQ(penA, 10);
  EXPECT_FLOAT_EQ(penB - penA, 8 + 3);  // half the size plus the kerning

  // A face no font has: made once at size 20, then found.
  EXPECT_EQ(capture([&] { call("printByFace"); }).size(), 2u);
  EXPECT_EQ(xFontManager::getInstance()->fontNames.size(), 4u);
  EXPECT_EQ(font(3)->GetFontSize(), 20);

  EXPECT_TRUE(capture([&] { call("badFonts"); }).empty());
  for (const char* name : {"host_RenderStr", "host_SetFontColor", "host_SetFontKerning"}) {
    EXPECT_NE(log().find(std::string(name) + ": invalid font index"), std::string::npos) << name;
  }
}

TEST_F(HostFontTest, ScriptsFillPlaceFrameRevealAndMoveTheirTextBoxes) {
  EXPECT_EQ(call("boxes").intValue, 1);  // the hole at 0 was filled
  call("write");
  ASSERT_EQ(box(0)->chars.size(), 3u);
  EXPECT_EQ(box(0)->font->colour, 0xFFFF0000u);
  // Box 1 has no font: its text and colour are kept, its frame (set
  // through the gradient's name) is all it draws.
  EXPECT_EQ(box(1)->chars.size(), 3u);
  EXPECT_EQ(box(1)->topColor.GetHWColor(), 0xFFFF0000u);
  EXPECT_EQ(box(1)->bottomColor.GetHWColor(), 0xFFFF0000u);
  std::vector<hgeQuad> quads = drawnBoxes();
  ASSERT_EQ(quads.size(), 5u);  // frame, "Hi!", frame
  EXPECT_FLOAT_EQ(quads[4].v[0].x, 0);
  EXPECT_EQ(quads[2].v[0].col, 0xFFFFFFFFu);  // "i" came before the colour
  EXPECT_EQ(quads[3].v[0].col, 0xFFFF0000u);
  EXPECT_EQ(box(0)->textOffsetY, 6);
  EXPECT_EQ(box(1)->textOffsetX, 2);

  call("place");
  EXPECT_EQ(box(0)->x + box(0)->y, 20);
  EXPECT_EQ(box(0)->width, 200);
  EXPECT_EQ(box(1)->height, 80);

  call("reveal");
  EXPECT_TRUE(box(0)->fadeInOn);
  EXPECT_FLOAT_EQ(box(0)->fadeStep, 0.25f);
  updates(3);
  EXPECT_EQ(box(0)->shownCount, 1u);  // one character per 3 updates
  call("fadeAtOnce");
  drawnBoxes();
  EXPECT_EQ(box(0)->chars[0].a, 1);
  updates(5);
  EXPECT_FLOAT_EQ(box(0)->x, 50);
  EXPECT_FLOAT_EQ(box(0)->y, 60);
}

TEST_F(HostFontTest, BadGroupsAndStrayBoxesAreSilentAndChangeNothing) {
  call("fonts");
  call("boxes");
  std::string before = log();
  EXPECT_EQ(callFromBadGroup(kDeclarations), 20);
  call("strayBox");
  EXPECT_EQ(xFontManager::getInstance()->fontNames.size(), 3u);
  EXPECT_EQ(xTextBoxManager::getInstance()->boxes.size(), 2u);
  EXPECT_TRUE(box(0)->chars.empty());
  EXPECT_EQ(box(0)->x, 100);
  EXPECT_EQ(log(), before);
}

}  // namespace
