// Start-up: host registration in its fixed order, then the managers and the title.
#include "app/game_loop.h"

#include <algorithm>
#include <cstdint>

#include "app/status_numbers.h"
#include "avg/end_theme.h"
#include "avg/xAVG.h"
#include "avg/xAVGScriptReader.h"
#include "base/saturating.h"
#include "base/xLogFile.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "gfx/hgeTTFont.h"
#include "gfx/xFontManager.h"
#include "host/host_registration.h"
#include "script/runtime/xHostAPIManager.h"
#include "stg/mBulletManager.h"
#include "stg/xBackgroundManager.h"
#include "stg/xBoss.h"
#include "stg/xItemManager.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"
#include "stg/xSourceManager.h"

// DO NOT REORDER: a name that two groups register ends up with the later one.
void RegisterHostAPIs() {
  xHostAPIManager::getInstance();
  RegisterHostSpriteAPIs();
  RegisterHostSystemAPIs();
  RegisterHostBulletAPIs();
  RegisterHostKeyAPIs();
  RegisterHostScriptAPIs();
  RegisterHostFontAPIs();
  RegisterHostMathAPIs();
  RegisterHostSoundAPIs();
  RegisterHostBossAPIs();
  RegisterHostPlayerAPIs();
  xHostAPIManager::getInstance()->addFunc("bindScriptToMenuItem", host_BindScriptToMenuItem);
}

namespace {

// The player, the boss and the enemies before a stage and on the way to the title.
void resetActors() {
  xPlayer::getInstance()->reset();
  xBoss::getInstance()->reset();
  xSourceManager::getInstance()->clear();
}

// The stage set-up's resets, in the state machine's order.
void resetStage() {
  resetActors();
  mBulletManager* bullets = mBulletManager::getInstance();
  bullets->killAllBullets();
  bullets->active = true;
  xBackgroundManager* background = xBackgroundManager::getInstance();
  background->clearBackgroundCover();
  background->deleteSCBackground();
  xItemManager::getInstance()->clear();
}

void clearSceneBackground() {
  xBackgroundManager* background = xBackgroundManager::getInstance();
  background->seaEnabled = false;
  background->fogEnabled = false;
  background->fogSpeed = 0;
  background->clearBackgroundCover();
  background->deleteSCBackground();
}

// The full-screen scene's set-up: the player is reset before the file is read.
bool startScene(const std::string& name) {
  xAVG* player = xAVG::getInstance();
  player->reset();
  if (!xAVGScriptReader::getInstance()->readFile(name)) return false;
  player->buildOrders();
  player->start();
  return true;
}

// What scenes change in the stage: the player's stock and the background.
void installStageLink(avg::StageLink& link) {
  link.setBackground = [](const std::string& name) {
    xBackgroundManager::getInstance()->set2DBackground(name.c_str(), 0, stg::kModeStill);
  };
  link.addPower = [](float amount) { xPlayer::getInstance()->addPower(amount); };
  link.setPower = [](float power) { xPlayer::getInstance()->power = power; };
  link.addBombs = [](int amount) {
    xPlayer* player = xPlayer::getInstance();
    player->bombs = base::addSaturated(player->bombs, amount);  // a scene file may ask for any number
  };
  link.addLives = [](int amount) {
    xPlayer* player = xPlayer::getInstance();
    player->lives = base::addSaturated(player->lives, amount);
  };
  link.setBombs = [](int bombs) { xPlayer::getInstance()->bombs = bombs; };
  link.setLives = [](int lives) { xPlayer::getInstance()->lives = lives; };
  link.setPlayerType = [](int type) {
    xPlayer* player = xPlayer::getInstance();
    player->counterA = player->counterB = type;
  };
}

void installStateHooks(core::StateHooks& hooks) {
  hooks.resetStage = resetStage;
  hooks.enemyBulletsActive = [](bool active) { mBulletManager::getInstance()->active = active; };
  hooks.resetTitle = [] {
    resetActors();
    xPlayer::getInstance()->resetPower();
    mBulletManager::getInstance()->killAllBullets();
    // A scene left through the pause would otherwise go on in the next
    // score board, the one other state that steps the scene player.
    xAVG::getInstance()->reset();
  };
  hooks.newGame = [] {
    mBulletManager::getInstance()->active = true;
    xBackgroundManager::getInstance()->deleteSCBackground();
    xScoreManager::getInstance()->resetForNewGame();
  };
  hooks.titleBackground = [](const std::string& name) {
    xBackgroundManager::getInstance()->set2DBackground(name.c_str(), 0, stg::kModeScroll);
  };
  hooks.sceneBackground = clearSceneBackground;
  hooks.startScene = startScene;
  hooks.retryStage = [] {
    xPlayer::getInstance()->restoreStageStartValues();
    xScoreManager::getInstance()->restoreStageStart();
  };
  hooks.clearShots = [] {
    mBulletManager::getInstance()->clearBullets(true);
    xPlayer::getInstance()->shots->clearBullets(true);
  };
  hooks.sceneInStage = [] {
    xPlayer* player = xPlayer::getInstance();
    if (player->sprite) player->sprite->setPose(0);
    player->shots->clearBullets(true);
  };
  hooks.fogOff = [] {
    xBackgroundManager* background = xBackgroundManager::getInstance();
    background->fogEnabled = false;
    background->fogSpeed = 0;
  };
  hooks.startEnding = initEndTheme;
}

// The ending's night sky stands still; the stage's layers go.
void installEndThemeLink(avg::EndThemeLink& link) {
  link.stillBackground = [](const std::string& name) {
    xBackgroundManager* background = xBackgroundManager::getInstance();
    background->set2DBackground(name.c_str(), 0, stg::kModeStill);
    background->speed = 0;
    background->fogSpeed = 0;
  };
  link.clearBackground = [] {
    xBackgroundManager* background = xBackgroundManager::getInstance();
    background->seaEnabled = false;
    background->speed = 0;
    background->fogSpeed = 0;
    background->clearBackgroundCover();
    background->deleteSCBackground();
  };
}

struct FixedSound {
  int id;
  const char* file;
};
// DO NOT RENUMBER: scripts and the shooting game play these ids.
constexpr FixedSound kFixedSounds[] = {
    {10000, "appear.wav"}, {10001, "emd.wav"}, {10002, "hit.wav"},
    {10003, "shoot.wav"},  {10004, "bird.wav"}, {10005, "flame.wav"},
};

}  // namespace

void GameStartUp() {
  RegisterHostAPIs();
  // Shares the entry point's engine; deleted by the shutdown tail. One left
  // by an earlier start-up in the same process (tests) stays: boxes and
  // menus may still hold its fonts.
  if (TTFontManager::getInstance() == nullptr) new TTFontManager(hge);
  xSystem::getInstance();
  installStateHooks(xSystem::getInstance()->hooks);
  installEndThemeLink(avg::endThemeLink());
  xSystem::getInstance()->GameStart();
  xSoundManager* sound = xSoundManager::getInstance();
  // After "initDifficulty": the difficulty page lists what it declared.
  xSystem::getInstance()->buildMenus();
  xScoreManager::getInstance()->LoadScore();
  for (const FixedSound& effect : kFixedSounds) sound->addSoundEffect(effect.id, effect.file);
  statusFont = xFontManager::getInstance()->getTTFont("DFGirl.ttf", 35);
  scoreFont = xFontManager::getInstance()->getTTFont("Consolab.ttf", 18);
  if (scoreFont != nullptr) scoreFont->colour = 0xFFFF9000;
  installStageLink(xAVG::getInstance()->stage);
  xSystem::getInstance()->setupTitleBackground();
  xBackgroundManager::getInstance()->setUIFrame("ui.png");
  xItemManager::getInstance();
  xLogFile::getInstance();
  WriteLog("Project Tazrel Log\n");
  WriteLog("Current Time: %s\n", GetCurrentTimeString().c_str());
  sound->setBackgroundMusic("Ka01.mp3", true);
}
