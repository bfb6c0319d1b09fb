// The ending: a monologue in a text box, a closing line, the staff roll rising over a black cover, two logos, then the title.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "gfx/xFloatingText.h"

class xSprite;
class xTextBox;

namespace avg {

// What the ending asks of the backgrounds, which avg/ may not include.
// app/ installs these at start-up; an empty member does nothing.
struct EndThemeLink {
  // The still picture [name] as the 2D background, with both scroll speeds 0.
  std::function<void(const std::string& name)> stillBackground;
  // The sea off, both scroll speeds 0, the covers and the spell-card
  // background gone.
  std::function<void()> clearBackground;
};
EndThemeLink& endThemeLink();

// The row counts of avg/end_theme_texts.def.
constexpr int kMonologueLines = 10;
constexpr int kStaffRollRows = 90;

// The one ending of the program. Everything runs off [frame] against a
// fixed timeline; there is no input.
struct EndTheme {
  int frame = -1;          // frames since the ending started; -1 while none runs
  int monologueLine = 0;   // the next monologue line for the box
  int rollRow = 0;         // the next staff-roll row
  // [Extra] configuration, read by every start.
  int logoEndFrame = 0, monologueEndFrame = 0, staffEndFrame = 0;
  std::string monologueFontName;
  // Whether this ending has written [STG] StageCleared.
  bool clearRecorded = false;
  std::unique_ptr<xTextBox> monologueBox;
  std::unique_ptr<xSprite> endBlackCover, endLogoKWD, endLogoQuillfen;
  // The closing line or staff-roll row added last (the last closing line
  // for row 88, none for the logo's row).
  gfx::FloatingTextId lastText = gfx::kNoFloatingText;
};
EndTheme& endTheme();
// Tests: drop the ending's objects and state.
void resetEndThemeForTests();

}  // namespace avg

// The state machine's set-up of STATE_ENDING. Frees the objects of an
// earlier ending, stopped or not, and starts from the first monologue line.
void initEndTheme();
// One frame of the timeline; nothing while no ending runs. At
// [Extra] endThemeLogoEndFrame (unless it equals the monologue's or the
// staff roll's end frame) the ending stops and fades to the title, having
// recorded [STG] StageCleared = 1.
void updateEndTheme();
// The black cover, the monologue box and the two logos, in that order.
void renderEndTheme();
// True when the next staff-roll row is a role title.
bool isEndThemeHeaderLine();
