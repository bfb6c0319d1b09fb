// The shell's eight menus, and the title pages: main, difficulty, settings with the volumes, key configuration.
#include <iterator>
#include <memory>
#include <string>

#include "base/resource_path.h"
#include "base/saturating.h"
#include "core/process_exit.h"
#include "core/xInputManager.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"

namespace {

enum TitlePage { kMainPage = 0, kDifficultyPage = 1, kSettingsPage = 2, kKeyPage = 3 };

constexpr int kMenuFontSize = 36;
constexpr float kMenuStep = 1.0f / 60;
constexpr int kCursorFrames = 10;
constexpr int kEndGameItem = 2;
constexpr int kKeyConfigItem = 4;  // the settings page's way into key configuration
constexpr int kVolumeStep = 5;
// Capture frame, then 13 more counts and the frame that ends it: input is
// ignored for the capture frame and the 14 after it.
constexpr int kKeyCaptureEnd = 15;

struct MenuItem {
  const wchar_t* title;
  float x, y;
};

constexpr MenuItem kTitleItems[] = {{L"开始游戏", 400, 350}, {L"游戏设置", 400, 400}, {L"结束游戏", 400, 450}};
constexpr MenuItem kStgPauseItems[] = {{L"返回游戏", 400, 250}, {L"重试此关", 400, 300}, {L"退出游戏", 400, 350}};
constexpr MenuItem kAvgPauseItems[] = {{L"返回游戏", 400, 270}, {L"退出游戏", 400, 320}};
constexpr MenuItem kGameOverItems[] = {{L"重试此关", 400, 270}, {L"退出游戏", 400, 320}};
constexpr MenuItem kSettingsItems[] = {{L"音乐音量", 350, 310},
                                       {L"音效音量", 350, 360},
                                       {L"语音音量", 350, 410},
                                       {L"背景音音量", 350, 460},
                                       {L"键位设置", 400, 510}};
// In the order of the configuration items from [Key] Shoot on.
constexpr MenuItem kKeyItems[] = {{L"Attack", 400, 300}, {L"Bomb", 400, 340}, {L"Slow", 400, 380},
                                  {L"Up", 400, 420},     {L"Down", 400, 460}, {L"Left", 400, 500},
                                  {L"Right", 400, 540}};
constexpr int kKeyItemCount = int(std::size(kKeyItems));
constexpr float kVolumeX = 500;
constexpr float kVolumeY[] = {310, 360, 410, 460};
constexpr int kVolumeCount = int(std::size(kVolumeY));

template <std::size_t N>
void addItems(xMenu& menu, const MenuItem (&items)[N]) {
  for (const MenuItem& item : items) menu.addItem(item.title, item.x, item.y);
}

std::wstring volumeText(int volume) { return StringToWString(IntToString(volume)); }

bool pressed(int action) { return xInputManager::getInstance()->isActionPressed(action); }

}  // namespace

void xSystem::buildMenus() {
  const std::wstring font = StringToWString(getConfigString(CFG_STR_SYSTEM_FONT));
  auto make = [&font] { return std::make_unique<xMenu>(font, kMenuFontSize); };
  titleMenu = make();
  difficultyMenu = make();
  stgPauseMenu = make();
  avgPauseMenu = make();
  addItems(*titleMenu, kTitleItems);
  const float n = float(difficultyNames.size());
  for (std::size_t i = 0; i < difficultyNames.size(); ++i) {
    difficultyMenu->addItem(StringToWString(difficultyNames[i]), 400, 400 - (n - 1) * 25 + 50 * float(i));
  }
  addItems(*stgPauseMenu, kStgPauseItems);
  addItems(*avgPauseMenu, kAvgPauseItems);
  gameOverMenu = make();
  addItems(*gameOverMenu, kGameOverItems);
  settingsMenu = make();
  addItems(*settingsMenu, kSettingsItems);
  volumeValueMenu = make();
  const xSoundManager* sound = xSoundManager::getInstance();
  const int volumes[kVolumeCount] = {sound->bgmVolume, sound->seVolume, sound->voiceVolume, sound->bgSoundVolume};
  for (int i = 0; i < kVolumeCount; ++i) volumeValueMenu->addItem(volumeText(volumes[i]), kVolumeX, kVolumeY[i]);
  keyConfigMenu = make();
  addItems(*keyConfigMenu, kKeyItems);
}

void xSystem::applyKeyConfig(int index) {
  if (index < 0 || index >= kKeyItemCount) return;
  setConfigInt(ConfigItem(CFG_KEY_SHOOT + index), hge->Input_GetKey());
  keyConfigMenu->setItemText(index, kKeyItems[index].title);
}

void xSystem::playMenuSound(HEFFECT sound) {
  // Read from the file each time, like every configuration value.
  hge->Effect_PlayEx(sound, getConfigInt(CFG_SE_VOLUME), 0, 1.0f, false);
}

std::array<xMenu*, 2> xSystem::titlePageMenus() const {
  switch (titlePage) {
    case kMainPage: return {titleMenu.get(), nullptr};
    case kDifficultyPage: return {difficultyMenu.get(), nullptr};
    case kSettingsPage: return {settingsMenu.get(), volumeValueMenu.get()};
    case kKeyPage: return {keyConfigMenu.get(), nullptr};
    default: return {nullptr, nullptr};
  }
}

bool xSystem::titleStep() {
  if (titlePage == kKeyPage && keyCaptureCounter > 0) {
    keyCaptureStep();
    return false;
  }
  if (pressed(ACTION_DOWN)) {
    moveTitleSelection(true);
  } else if (pressed(ACTION_UP)) {
    moveTitleSelection(false);
  } else if (titlePage == kSettingsPage && pressed(ACTION_LEFT)) {
    changeVolume(-kVolumeStep);
  } else if (titlePage == kSettingsPage && pressed(ACTION_RIGHT)) {
    changeVolume(kVolumeStep);
  }
  if (pressed(ACTION_SHOOT) || pressed(ACTION_CONFIRM)) {
    if (confirmTitle()) return true;
  } else if (pressed(ACTION_CANCEL) || pressed(ACTION_BOMB)) {
    cancelTitle();
  }
  menuCursor->update();
  for (xMenu* menu : titlePageMenus()) {
    if (menu) menu->update(kMenuStep);
  }
  return false;
}

void xSystem::keyCaptureStep() {
  if (keyCaptureCounter != 1) {
    if (++keyCaptureCounter > kKeyCaptureEnd) keyCaptureCounter = 0;
    return;
  }
  const int key = hge->Input_GetKey();
  if (key == 0) return;  // still waiting
  const int index = keyConfigMenu->selected;
  applyKeyConfig(index);
  keyCaptureCounter = 2;
  xInputManager::getInstance()->rebindConfigKeys(index, key);
}

void xSystem::moveTitleSelection(bool next) {
  playMenuSound(moveSound);
  xMenu* menu = titlePageMenus()[0];
  if (!menu) return;
  if (next) {
    menu->selectNext();
  } else {
    menu->selectPrevious();
  }
  if (titlePage == kMainPage) titleSelection = menu->selected;
  if (titlePage == kSettingsPage) {
    // "键位设置" has no value beside it: the column then shows no selection.
    const int s = menu->selected;
    volumeValueMenu->select(s >= 0 && s < volumeValueMenu->itemCount() ? s : -1);
  }
  moveTitleCursor();
}

void xSystem::changeVolume(int delta) {
  xSoundManager* sound = xSoundManager::getInstance();
  const int s = settingsMenu->selected;
  int value = 0;
  // Volumes are read from config.ini as written, whatever int that is.
  switch (s) {
    case 0:  // applied to the playing music at once
      sound->setBackgroundMusicVolume(base::addSaturated(sound->bgmVolume, delta));
      value = sound->bgmVolume;
      break;
    case 1:
      sound->setSoundEffectVolume(base::addSaturated(sound->seVolume, delta));
      value = sound->seVolume;
      break;
    case 2:
      sound->setVoiceVolume(base::addSaturated(sound->voiceVolume, delta));
      value = sound->voiceVolume;
      break;
    case 3:
      sound->setBGSoundVolume(base::addSaturated(sound->bgSoundVolume, delta));
      value = sound->bgSoundVolume;
      break;
    default:
      return;
  }
  volumeValueMenu->setItemText(s, volumeText(value));
}

bool xSystem::confirmTitle() {
  switch (titlePage) {
    case kMainPage:
      playMenuSound(confirmSound);
      titleMenu->activateSelected();
      if (titleMenu->selected == 0) {
        titlePage = kDifficultyPage;
        difficultyMenu->selectFirst();
        moveTitleCursor();
      } else if (titleMenu->selected == 1) {
        titlePage = kSettingsPage;
        settingsMenu->selectFirst();
        volumeValueMenu->selectFirst();
        moveTitleCursor();
      } else if (titleMenu->selected == kEndGameItem) {
        return true;
      }
      break;
    case kDifficultyPage:
      playMenuSound(startSound);
      difficultyMenu->activateSelected();
      startNewGame();
      if (hooks.clearShots) hooks.clearShots();
      // -1 when the start-up script declared no difficulty.
      difficulty = difficultyMenu->selected;
      break;
    case kSettingsPage:
      playMenuSound(confirmSound);
      if (settingsMenu->selected == kKeyConfigItem) {
        titlePage = kKeyPage;
        keyConfigMenu->selectFirst();
        moveTitleCursor();
      }
      break;
    case kKeyPage:
      keyConfigMenu->setItemText(keyConfigMenu->selected, L"请按下需要设置的键");
      keyCaptureCounter = 1;
      break;
    default:
      break;
  }
  return false;
}

void xSystem::cancelTitle() {
  playMenuSound(moveSound);
  switch (titlePage) {
    case kMainPage:
      if (titleSelection == kEndGameItem) core::exitAtOnce();
      titleMenu->selectThird();
      titleSelection = kEndGameItem;
      break;
    case kDifficultyPage:
    case kSettingsPage:
      titlePage = kMainPage;
      titleMenu->selectFirst();
      titleSelection = 0;
      break;
    case kKeyPage:
      titlePage = kSettingsPage;
      settingsMenu->selectFirst();
      volumeValueMenu->selectFirst();
      break;
    default:
      return;
  }
  moveTitleCursor();
}

void xSystem::moveTitleCursor() {
  const xMenu* menu = titlePageMenus()[0];
  if (!menu || menu->selected < 0) return;  // nothing to highlight
  const float s = float(menu->selected);
  float y = 0;
  switch (titlePage) {
    case kMainPage: y = 356 + 50 * s; break;
    case kDifficultyPage: y = 406 - float(menu->itemCount() - 1) * 25 + 50 * s; break;
    case kSettingsPage: y = 316 + 50 * s; break;
    default: y = 306 + 40 * s; break;
  }
  menuCursor->moveTo(kCursorFrames, 0, y);
}
