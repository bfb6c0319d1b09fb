// The title pages by scripted keys: the difficulty page, the volumes, key capture into config.ini.
#include "tests/core/shell_fixture.h"

namespace {

class TitleTest : public ShellTest {};

TEST_F(TitleTest, TheDifficultyPageListsTheDeclaredNamesAndStartsAGame) {
  xSystem* system = makeShell({"Easy", "Normal", "Hard"});
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(system->difficultyMenu->item(i)->rect.y1, 350 + 50 * i);
  tap(0, HGEK_ENTER);  // "开始游戏"
  tap(20, HGEK_DOWN);
  tap(40, HGEK_DOWN);
  tap(60, 'Z');  // shoot confirms too
  run(61);
  EXPECT_FLOAT_EQ(system->menuCursor->y, 456);
  EXPECT_EQ(system->difficulty, 2);
  EXPECT_EQ(calls(), (std::vector<std::string>{"new game", "clear shots"}));

  // Without names the page is empty, and a game starts with no selection.
  xSystem::resetForTests();
  calls().clear();
  system = makeShell({});
  tap(0, HGEK_ENTER);
  tap(20, HGEK_DOWN);
  tap(40, HGEK_ENTER);
  run(41);
  EXPECT_EQ(system->difficulty, -1);
  EXPECT_EQ(calls(), (std::vector<std::string>{"new game", "clear shots"}));
}

TEST_F(TitleTest, VolumesMoveByFiveWithinTheirRangeAndShowTheirValue) {
  dir_.write("config.ini", "[System]\nBGMVolume=100\nSEVolume=3\nVoiceVolume=98\nBGSoundVolume=40\n");
  xSystem* system = makeShell();
  // Settings; music right (stays 100) and left; effects left; voice right;
  // background sound left; then "键位设置", where right changes nothing.
  const int keys[] = {HGEK_DOWN, HGEK_ENTER, HGEK_RIGHT, HGEK_LEFT, HGEK_DOWN, HGEK_LEFT,
                      HGEK_DOWN, HGEK_RIGHT, HGEK_DOWN,  HGEK_LEFT, HGEK_DOWN, HGEK_RIGHT};
  for (int i = 0; i < 12; ++i) tap(20 * i, keys[i]);
  run(240);
  xSoundManager* sound = xSoundManager::getInstance();
  EXPECT_EQ((std::vector<int>{sound->bgmVolume, sound->seVolume, sound->voiceVolume, sound->bgSoundVolume}),
            (std::vector<int>{95, 0, 100, 35}));
  std::vector<std::wstring> shown;
  for (int i = 0; i < 4; ++i) shown.push_back(system->volumeValueMenu->item(i)->title);
  EXPECT_EQ(shown, (std::vector<std::wstring>{L"95", L"0", L"100", L"35"}));
  EXPECT_EQ(system->volumeValueMenu->selected, -1) << "no value beside the fifth item";
  EXPECT_FLOAT_EQ(system->menuCursor->y, 516);
}

// Volumes in config.ini at the ends of the int range: the page's steps
// saturate, then land in 0-100.
TEST_F(TitleTest, VolumesAtTheEndsOfTheIntRangeStepIntoTheirRange) {
  dir_.write("config.ini",
             "[System]\nBGMVolume=2147483647\nSEVolume=-2147483648\nVoiceVolume=2147483647\n"
             "BGSoundVolume=-2147483648\n");
  xSystem* system = makeShell();
  const int keys[] = {HGEK_DOWN, HGEK_ENTER, HGEK_RIGHT, HGEK_LEFT, HGEK_DOWN, HGEK_LEFT,
                      HGEK_DOWN, HGEK_RIGHT, HGEK_DOWN,  HGEK_RIGHT};
  for (int i = 0; i < 10; ++i) tap(20 * i, keys[i]);
  run(200);
  xSoundManager* sound = xSoundManager::getInstance();
  EXPECT_EQ((std::vector<int>{sound->bgmVolume, sound->seVolume, sound->voiceVolume, sound->bgSoundVolume}),
            (std::vector<int>{95, 0, 100, 0}));
  EXPECT_EQ(system->volumeValueMenu->item(0)->title, L"95");
}

TEST_F(TitleTest, ACapturedKeyIsWrittenAtOnceAndInputWaitsFourteenFrames) {
  xSystem* system = makeShell();
  system->titlePage = 2;
  system->settingsMenu->select(4);
  tap(0, HGEK_ENTER);  // into key configuration
  tap(20, HGEK_DOWN);  // "Bomb"
  tap(40, HGEK_ENTER);
  run(45);
  EXPECT_EQ(system->keyConfigMenu->item(1)->title, L"请按下需要设置的键");

  const long capture = engine::headless::frameCount() + 5;
  std::string configThen;
  tap(5, 'A');
  tap(5 + 14, HGEK_DOWN);  // still ignored
  tap(5 + 15, HGEK_UP);    // taken
  run(25, [&] {
    if (engine::headless::frameCount() - 1 == capture) configThen = dir_.read("config.ini");
  });
  EXPECT_NE(configThen.find("Bomb=65"), std::string::npos) << configThen;
  EXPECT_EQ(system->keyConfigMenu->item(1)->title, L"Bomb");
  EXPECT_EQ(xInputManager::getInstance()->binding(ACTION_BOMB)->keyCodes[0], 'A');
  EXPECT_EQ(system->keyConfigMenu->selected, 0);
}

}  // namespace
