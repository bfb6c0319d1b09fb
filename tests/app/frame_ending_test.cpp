// The ending run headless through the frame and render callbacks and the state machine, with the game's own data.
#include <gtest/gtest.h>

#include <string>

#include "avg/end_theme.h"
#include "base/resource_path.h"
#include "core/xSoundManager.h"
#include "gfx/xFloatingText.h"
#include "gfx/xFontManager.h"
#include "gfx/xTextBox.h"
#include "script/manager/xScriptManager.h"
#include "stg/xBackgroundManager.h"
#include "tests/app/app_fixture.h"

namespace {

// The monologue's lines as the game keeps them, code page 936.
const char* const kLines[] = {
#define MONOLOGUE(text) text,
#define STAFF_ROW(text)
#define CLOSING_LINE(text)
#include "avg/end_theme_texts.def"
#undef MONOLOGUE
#undef STAFF_ROW
#undef CLOSING_LINE
};

std::wstring line(int i) { return StringToWString(kLines[i]); }

// A staff-roll row of each kind: its font size and colour.
struct Style {
  int row;
  int size;
  DWORD colour;
};
constexpr Style kStyles[] = {
    {0, 40, 0xFFFF0000},  {3, 30, 0xFFFF8000},  {12, 30, 0xFFFFFFFF}, {23, 30, 0xFFFFAA00},
    {37, 30, 0xFFFF8000}, {44, 24, 0xFFFFDD10}, {45, 24, 0xFFFFFFFF}, {72, 30, 0xFFFF8000},
    {78, 40, 0xFFFFFFFF},
};

class EndingTest : public app::test::GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    linkGameData();
    dir_.write("end.vkscript", "host htPlayEndTheme();\nfunc theEnd() {\n  htPlayEndTheme();\n}\n");
    startGame();
  }

  static avg::EndTheme& ending() { return avg::endTheme(); }
  // Runs until the ending's counter stands at [f].
  static void runTo(int f) {
    for (int guard = 0; ending().frame != f && guard < 20000; ++guard) frames();
    ASSERT_EQ(ending().frame, f);
  }
  static std::wstring boxText() {
    std::wstring text;
    for (const TextBoxChar& c : ending().monologueBox->chars) text += c.text;
    return text;
  }
  // The text the ending added last; null when it added none.
  static const xFloatingText* last() { return xFloatingTextManager::getInstance()->get(ending().lastText); }
  // The colour's red, green and blue are [word]'s; its alpha is animated.
  static bool hasColour(const xFloatingText& text, DWORD word) {
    hgeColorRGB c;
    c.SetHWColor(word);
    return text.colour.r == c.r && text.colour.g == c.g && text.colour.b == c.b;
  }
  static hgeTTFont* font(int size) { return xFontManager::getInstance()->getTTFont("DFGirl.ttf", size); }
  // Starts an ending from a script and runs its 60 covered frames.
  void start() {
    xScriptManager* scripts = xScriptManager::getInstance();
    script::ThreadIndex thread = scripts->loadScript(activeScriptGroupID, "end.vkscript");
    ASSERT_TRUE(scripts->callFunc("theEnd", activeScriptGroupID, thread));
    frames(xSystem::kSwitchFrame);
    ASSERT_EQ(system->getState(), STATE_ENDING);
    ASSERT_EQ(ending().frame, 0);
  }
};

TEST_F(EndingTest, DefaultTimingsPlayToTheClearedTitle) {
  xBackgroundManager* bg = xBackgroundManager::getInstance();
  bg->seaEnabled = true;
  bg->fogSpeed = 2;
  bg->addBackgroundCover("ui.png", 0, 0, 0, 0, stg::kModeStill);
  bg->setSCBackground("ui.png", 64, 64, 2);
  start();
  EXPECT_FALSE(bg->seaEnabled);
  EXPECT_EQ(bg->fogSpeed, 0);
  EXPECT_EQ(bg->speed, 0);
  EXPECT_EQ(bg->mode, stg::kModeStill);
  EXPECT_TRUE(bg->covers.empty());
  EXPECT_EQ(bg->scBackground, nullptr);
  EXPECT_EQ(xSoundManager::getInstance()->pendingMusic, "Berceuse(Orchestra ver.).mp3");

  // The monologue: shown, added to, faded, shown again; the fade-out's step stays for the next fade-in.
  runTo(299);
  EXPECT_TRUE(ending().monologueBox->chars.empty());
  frames();
  EXPECT_EQ(boxText(), line(0));
  runTo(540);
  EXPECT_EQ(boxText(), line(0) + line(1) + line(2));
  runTo(660);
  EXPECT_TRUE(ending().monologueBox->fadeOutOn);
  runTo(720);
  EXPECT_EQ(boxText(), line(3));
  EXPECT_FALSE(ending().monologueBox->fadeOutOn);
  EXPECT_FLOAT_EQ(ending().monologueBox->fadeStep, 1.0f / 60);
  runTo(2820);
  EXPECT_EQ(boxText(), line(8));

  // The closing line over the black cover.
  runTo(3240);
  EXPECT_EQ(ending().endBlackCover->color.a, 1.0f);
  const xFloatingText* closing = last();
  ASSERT_NE(closing, nullptr);
  EXPECT_EQ(closing->text, line(9));
  EXPECT_EQ(closing->font, font(35));
  EXPECT_FLOAT_EQ(closing->x, 400);
  EXPECT_FLOAT_EQ(closing->y, 280);

  // The staff roll: one row every 50 frames from 3590, each rising from the bottom.
  for (int row = 0; row < avg::kStaffRollRows; ++row) {
    runTo(3589 + 50 * row);
    ASSERT_EQ(ending().rollRow, row);
    frames();
    ASSERT_EQ(ending().rollRow, row + 1);
    if (row == 69) {  // the logo instead of a text
      EXPECT_EQ(ending().lastText, gfx::kNoFloatingText);
      EXPECT_FLOAT_EQ(ending().endLogoKWD->x, 370);
      EXPECT_NEAR(ending().endLogoKWD->y, 610, 1);
      EXPECT_NEAR(ending().endLogoKWD->color.a, 0.0125f, 1e-4);
      continue;
    }
    ASSERT_NE(last(), nullptr) << row;
    const xFloatingText& text = *last();
    EXPECT_FLOAT_EQ(text.x, 400) << row;
    if (row == 88) {  // the last of the three closing lines
      EXPECT_FLOAT_EQ(text.y, 690);
      EXPECT_FLOAT_EQ(text.moveTween.targetY, 330);
      EXPECT_EQ(text.lifeFrames, 540);
      continue;
    }
    EXPECT_FLOAT_EQ(text.y, 600) << row;
    EXPECT_FLOAT_EQ(text.moveTween.targetX, row == 77 || row == 78 ? 380 : 400) << row;
    EXPECT_FLOAT_EQ(text.moveTween.targetY, -50) << row;
    EXPECT_EQ(text.lifeFrames, 1020) << row;
    if (row == 0) {
      EXPECT_EQ(text.text, L"STAFF");
    }
    for (const Style& style : kStyles) {
      if (style.row != row) continue;
      EXPECT_EQ(text.font, font(style.size)) << row;
      EXPECT_TRUE(hasColour(text, style.colour)) << row;
    }
  }
  runTo(8090);
  EXPECT_EQ(ending().rollRow, avg::kStaffRollRows);

  runTo(8670);
  EXPECT_FLOAT_EQ(ending().endLogoQuillfen->x, 250);
  EXPECT_FLOAT_EQ(ending().endLogoQuillfen->y, 150);

  // The stop at 9000 comes before the cue at 9020, yet the clear is recorded.
  runTo(8999);
  EXPECT_EQ(system->getIniInt("STG", "StageCleared", 0), 0);
  frames();
  EXPECT_EQ(ending().frame, -1);
  EXPECT_NE(dir_.read("config.ini").find("StageCleared=1"), std::string::npos);
  EXPECT_EQ(system->pendingState, STATE_TITLE);
  frames(xSystem::kSwitchFrame - 2);
  EXPECT_EQ(system->getState(), STATE_ENDING);
  frames();
  EXPECT_EQ(system->getState(), STATE_TITLE);

  // The title shows the day sky now, in its background and in the picture over it.
  for (const xSprite* picture : {xBackgroundManager::getInstance()->background.get(), system->titlePicture.get()}) {
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(picture->sprite, nullptr);
    HTEXTURE sky = picture->sprite->GetTexture();
    const DWORD* pixels = hge->Texture_Lock(sky, true);
    ASSERT_NE(pixels, nullptr);
    EXPECT_GT((pixels[0] >> 16) & 0xFF, 40u);  // red of the day sky's top, where the night has 5
    hge->Texture_Unlock(sky);
  }
}

TEST_F(EndingTest, AnEndingLeftHalfwayLeavesNothingToTheNext) {
  start();
  runTo(1200);
  EXPECT_EQ(ending().monologueLine, 6);
  EXPECT_FALSE(ending().monologueBox->chars.empty());
  system->changeState(STATE_TITLE, true, "");
  frames(xSystem::kSwitchFrame);
  ASSERT_EQ(system->getState(), STATE_TITLE);

  // Equal to the monologue's end frame, the stop frame never stops the second ending.
  system->setIniInt("Extra", "endThemeLogoEndFrame", 3540);
  start();
  EXPECT_EQ(ending().monologueLine, 0);
  EXPECT_TRUE(ending().monologueBox->chars.empty());
  EXPECT_FLOAT_EQ(ending().monologueBox->fadeStep, 1.0f / 120);
  EXPECT_EQ(ending().endBlackCover->color.a, 0);
  runTo(300);
  EXPECT_EQ(boxText(), line(0));
  runTo(3541);
  EXPECT_EQ(system->transitionCounter, xSystem::kNoTransition);
  runTo(3590);
  ASSERT_NE(last(), nullptr);
  EXPECT_EQ(last()->text, L"STAFF");
}

}  // namespace
