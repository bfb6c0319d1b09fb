// config.ini values that cannot be used: each is still read as written and named once in the log.
#include "core/config.h"

#include <memory>

#include "gfx/hgeTTFont.h"
#include "tests/core/core_fixture.h"

namespace {

int countOf(const std::string& text, const std::string& line) {
  int n = 0;
  for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
  return n;
}

TEST_F(CoreTest, UnusableKeysVolumesAndFontAreLoggedOnceAndStillRead) {
  dir_.write("config.ini",
             "[Key]\nUp=-1\nShoot=abc\nLeft=256\nDown=40\nBomb=129\n"
             "[System]\nBGMVolume=150\nSEVolume=-5\nVoiceVolume=50\n"
             "[UI]\nFont=nosuch.ttf\n");
  startEngine();
  auto fonts = std::make_unique<TTFontManager>(hge_);
  xInputManager* input = xInputManager::getInstance();
  xSoundManager* sound = xSoundManager::getInstance();
  runFrames(30, [] {
    xInputManager::getInstance()->update();
    xSoundManager::getInstance()->update();
    return false;
  });
  input->rebindConfigKeys(-1, 0);

  const std::string log = dir_.read("log.txt");
  for (const char* line : {
           "config.ini: [Key] Up=-1 cannot be used: not a key code 1-255\n",
           "config.ini: [Key] Shoot=abc cannot be used: not a key code 1-255\n",
           "config.ini: [Key] Left=256 cannot be used: not a key code 1-255\n",
           "config.ini: [System] BGMVolume=150 cannot be used: not a volume 0-100\n",
           "config.ini: [System] SEVolume=-5 cannot be used: not a volume 0-100\n",
           "config.ini: [UI] Font=nosuch.ttf cannot be used: no such font\n",
       }) {
    EXPECT_EQ(countOf(log, line), 1) << line;
  }
  // A pad code, a plain key, a volume in range and the defaults pass.
  EXPECT_EQ(countOf(log, "config.ini:"), 6) << log;

  EXPECT_EQ(input->binding(ACTION_UP)->keyCodes[0], -1);
  EXPECT_EQ(input->binding(ACTION_SHOOT)->keyCodes[0], 0);
  EXPECT_EQ(sound->bgmVolume, 150);
  EXPECT_EQ(sound->seVolume, -5);
  resetManagers();
}

}  // namespace
