// The ending's timeline: monologue, closing line, staff roll, logos and the way back to the title.
#include "avg/end_theme.h"

#include <cstdint>
#include <iterator>
#include <utility>

#include "base/resource_path.h"
#include "base/saturating.h"
#include "core/game_state.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "gfx/xSprite.h"
#include "gfx/xTextBox.h"

namespace {

const char* const kMonologue[] = {
#define MONOLOGUE(text) text,
#define STAFF_ROW(text)
#define CLOSING_LINE(text)
#include "avg/end_theme_texts.def"
#undef MONOLOGUE
#undef STAFF_ROW
#undef CLOSING_LINE
};
const char* const kStaffRoll[] = {
#define MONOLOGUE(text)
#define STAFF_ROW(text) text,
#define CLOSING_LINE(text)
#include "avg/end_theme_texts.def"
#undef MONOLOGUE
#undef STAFF_ROW
#undef CLOSING_LINE
};
const char* const kClosingLines[] = {
#define MONOLOGUE(text)
#define STAFF_ROW(text)
#define CLOSING_LINE(text) text,
#include "avg/end_theme_texts.def"
#undef MONOLOGUE
#undef STAFF_ROW
#undef CLOSING_LINE
};
static_assert(std::size(kMonologue) == avg::kMonologueLines);
static_assert(std::size(kStaffRoll) == avg::kStaffRollRows);
static_assert(std::size(kClosingLines) == 3);

// Code page 936: "scene/" + night sky.
const char* const kNightSky = "scene/\xD2\xB9\xBF\xD5.png";
const char* const kBoxFont = "DFGirl.ttf";  // the box's own, whatever [Extra] monologueFont says
constexpr float kFrameSeconds = 1.0f / 60;

constexpr int kRowFrames = 50;  // one staff-roll row per 50 frames
constexpr int kRiseFrames = 1020, kRowFade = 400;
constexpr int kGroupRow = 23, kLogoRow = 69, kClosingRow = 88;
constexpr int kHeaderRows[] = {3, 7, 11, 17, 22, 33, 37, 54, 59, 63, 68, 72};

enum class Step { Show, Add, FadeOut, CoverIn, ClosingLine, LogoOut, SecondLogoIn, SecondLogoOut };
struct Cue {
  int frame;
  Step step;
  float fadeStep = 0;  // FadeOut: the box's alpha change per drawn frame
};
// In frame order. Cues after the stop frame never run.
constexpr Cue kTimeline[] = {
    {300, Step::Show},           {420, Step::Add},          {540, Step::Add},
    {660, Step::FadeOut, 1.0f / 60},
    {720, Step::Show},           {900, Step::Add},          {1080, Step::FadeOut, 1.0f / 60},
    {1140, Step::Show},          {1560, Step::Add},         {1920, Step::FadeOut, 1.0f / 60},
    {1980, Step::Show},          {2760, Step::FadeOut, 1.0f / 60},
    {2820, Step::Show},          {3120, Step::FadeOut, 1.0f / 60},
    {3180, Step::CoverIn},       {3240, Step::ClosingLine}, {3600, Step::FadeOut, 1.0f / 120},
    {7620, Step::LogoOut},       {8670, Step::SecondLogoIn}, {9020, Step::SecondLogoOut},
};

avg::EndTheme* gEndTheme = nullptr;

template <class F, class... Args>
void call(const F& hook, Args&&... args) {
  if (hook) hook(std::forward<Args>(args)...);
}

gfx::FloatingTextId addText(const std::string& text, int size, DWORD colour, float x0, float y0, float x1, float y1,
                            int life, int fadeIn, int fadeOut) {
  const std::string& font = avg::endTheme().monologueFontName;
  return xFloatingTextManager::getInstance()->addText(text, font, size, colour, x0, y0, x1, y1, life, fadeIn,
                                                      fadeOut);
}

// A row rising from the bottom of the screen to above its top.
gfx::FloatingTextId rise(const std::string& text, int size, DWORD colour, float endX = 400) {
  return addText(text, size, colour, 400, 600, endX, -50, kRiseFrames, kRowFade, kRowFade);
}

// The next monologue line, UTF-16; empty once the table is used up.
std::wstring nextMonologueLine(avg::EndTheme& s) {
  if (s.monologueLine < 0 || s.monologueLine >= avg::kMonologueLines) return L"";
  return StringToWString(kMonologue[s.monologueLine++]);
}

void recordClear(avg::EndTheme& s) {
  xSystem::getInstance()->setIniInt("STG", "StageCleared", 1);
  s.clearRecorded = true;
}

void runCue(avg::EndTheme& s, const Cue& cue) {
  xTextBox& box = *s.monologueBox;
  switch (cue.step) {
    case Step::Show:
      box.setText(nextMonologueLine(s));
      break;
    case Step::Add:
      box.addText(nextMonologueLine(s));
      break;
    case Step::FadeOut:
      // The step stays for the next line's fade-in too.
      box.fadeOutOn = true;
      box.fadeStep = cue.fadeStep;
      break;
    case Step::CoverIn:
      s.endBlackCover->fade(60, 1.0f, true, false);
      break;
    case Step::ClosingLine:
      if (s.monologueLine >= 0 && s.monologueLine < avg::kMonologueLines)
        s.lastText = addText(kMonologue[s.monologueLine], 35, 0xFFFFFFFF, 400, 280, 400, 280, 300, 60, 120);
      break;
    case Step::LogoOut:
      s.endLogoKWD->fade(400, 0, false, false);
      break;
    case Step::SecondLogoIn:
      s.endLogoQuillfen->setPos(250, 150);
      s.endLogoQuillfen->fade(60, 1.0f, true, false);
      break;
    case Step::SecondLogoOut:
      s.endLogoQuillfen->fade(30, 0, false, false);
      recordClear(s);
      break;
  }
}

// The group, the game's title and the edition stop in the screen's middle.
void showClosingLines(avg::EndTheme& s) {
  constexpr DWORD kColours[] = {0xFFFF8000, 0xFFFFFFFF, 0xFFFFFFFF};
  constexpr float kStartY[] = {600, 660, 690};
  constexpr float kEndY[] = {240, 300, 330};
  for (int i = 0; i < 3; ++i)
    s.lastText = addText(kClosingLines[i], 30, kColours[i], 400, kStartY[i], 400, kEndY[i], 540, 400, 120);
}

void showRow(avg::EndTheme& s, int row) {
  const std::string text = kStaffRoll[row];
  if (row == 0) {
    s.lastText = rise("STAFF", 40, 0xFFFF0000);
  } else if (row == kGroupRow) {
    s.lastText = rise(text, 30, 0xFFFFAA00);
  } else if (row == 44 || row == 48) {  // the ending theme's two versions
    s.lastText = rise(text, 24, 0xFFFFDD10);
  } else if (isEndThemeHeaderLine()) {
    s.lastText = rise(text, 30, 0xFFFF8000);
  } else if (row >= 38 && row <= 51) {  // the lines about the ending theme
    s.lastText = rise(text, 24, 0xFFFFFFFF);
  } else if (row == kLogoRow) {
    s.lastText = gfx::kNoFloatingText;
    s.endLogoKWD->fade(400, 1.0f, true, false);
    s.endLogoKWD->setPos(370, 610);
    s.endLogoKWD->moveTo(1035, 370, -50);
  } else if (row == 77 || row == 78) {  // the closing message
    s.lastText = rise(text, 40, 0xFFFFFFFF, 380);
  } else if (row == kClosingRow) {
    showClosingLines(s);
  } else {
    s.lastText = rise(text, 30, 0xFFFFFFFF);
  }
}

void stop(avg::EndTheme& s) {
  s.endBlackCover->fade(30, 0, false, false);
  xSystem::getInstance()->changeState(STATE_TITLE, true, "");
  // With the default timings the stop comes before the second logo's cue
  // that records the clear, so a finished game is recorded here.
  if (!s.clearRecorded) recordClear(s);
  s.frame = -1;
  s.monologueLine = 0;
  s.rollRow = 0;
}

std::unique_ptr<xSprite> makeSprite(const char* name, DWORD colour) {
  auto sprite = std::make_unique<xSprite>(name);
  sprite->setColor(colour);
  return sprite;
}

}  // namespace

namespace avg {

EndThemeLink& endThemeLink() {
  static EndThemeLink link;
  return link;
}

// Never destroyed: its sprites release engine references the shutdown tail
// has already let go of.
EndTheme& endTheme() {
  if (!gEndTheme) gEndTheme = new EndTheme();
  return *gEndTheme;
}

void resetEndThemeForTests() {
  delete gEndTheme;
  gEndTheme = nullptr;
}

}  // namespace avg

void initEndTheme() {
  avg::EndTheme& s = avg::endTheme();
  // An ending left before its stop leaves its line behind; its objects go
  // as the new ones replace them.
  s.lastText = gfx::kNoFloatingText;
  s.clearRecorded = false;
  s.monologueLine = 0;

  call(avg::endThemeLink().stillBackground, kNightSky);
  s.endBlackCover = makeSprite("se/black.png", 0x00000000);
  s.frame = 0;
  s.rollRow = 0;

  xSystem* system = xSystem::getInstance();
  s.logoEndFrame = system->getIniInt("Extra", "endThemeLogoEndFrame", 9000);
  s.monologueEndFrame = system->getIniInt("Extra", "endThemeMonologueEndFrame", 3540);
  s.staffEndFrame = system->getIniInt("Extra", "endThemeStaffEndFrame", 8700);
  s.monologueFontName = system->getIniString("Extra", "monologueFont", "DFGirl.ttf");

  xSoundManager::getInstance()->setBackgroundMusic("Berceuse(Orchestra ver.).mp3", false);

  s.monologueBox = std::make_unique<xTextBox>(gfx::BoxArea{200, 200, 400, 200}, kBoxFont, 25);
  xTextBox& box = *s.monologueBox;
  box.revealOn = true;
  box.fadeInOn = true;
  box.fadeFrames = 120;
  box.fadeStep = 1.0f / 120;
  box.revealCounter.start(180, true);

  s.endLogoKWD = makeSprite("UI/KWD.png", 0x00FFFFFF);
  s.endLogoQuillfen = makeSprite("UI/QuillfenPresents_LOGO.png", 0x00FFFFFF);
  call(avg::endThemeLink().clearBackground);
}

void updateEndTheme() {
  avg::EndTheme& s = avg::endTheme();
  if (s.frame == -1) return;
  const int f = s.frame = base::addSaturated(s.frame, 1);
  // Equal to either other end frame, the stop frame never stops the ending.
  const bool stopping = f == s.logoEndFrame && f != s.monologueEndFrame && f != s.staffEndFrame;
  if (stopping) {
    stop(s);
  } else {
    for (const Cue& cue : kTimeline) {
      if (cue.frame == f) runCue(s, cue);
    }
    // config.ini may set the end frame to any int.
    const std::int64_t sinceMonologue = std::int64_t{f} - s.monologueEndFrame;
    const bool rowDue = sinceMonologue > 0 && sinceMonologue % kRowFrames == 0;
    if (rowDue && s.rollRow >= 0 && s.rollRow < avg::kStaffRollRows) {
      showRow(s, s.rollRow);
      ++s.rollRow;
    }
  }
  s.endBlackCover->update();
  s.endLogoKWD->update();
  s.endLogoQuillfen->update();
  s.monologueBox->Update(kFrameSeconds);
}

void renderEndTheme() {
  avg::EndTheme& s = avg::endTheme();
  // Nothing before the first start (a switch to the ending without a fade
  // has no set-up).
  if (!s.monologueBox) return;
  s.endBlackCover->render();
  s.monologueBox->Render();
  s.endLogoKWD->render();
  s.endLogoQuillfen->render();
}

bool isEndThemeHeaderLine() {
  const int row = avg::endTheme().rollRow;
  for (int header : kHeaderRows) {
    if (row == header) return true;
  }
  return false;
}
