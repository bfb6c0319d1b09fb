// The game-state machine with its faded switches, and the configuration accessors.
#include "core/xSystem.h"

#include <cstdlib>
#include <utility>

#include "base/resource_path.h"
#include "base/xLogFile.h"
#include "core/xSoundManager.h"
#include "core/xTimer.h"
#include "engine/platform.h"
#include "script/manager/xScriptManager.h"

namespace {

xSystem* gSystem = nullptr;

constexpr DWORD kEmblemColours[] = {0xFFFF8000, 0xFF00AAFF, 0xFFFFAAFF, 0xFFA0DD00, 0xFFFF70BB,
                                    0xFF50FF10, 0xFFAAFF10, 0xFFAA20FF, 0xFF00FFFF, 0xFFFFFF80};
constexpr float kEmblemTurn = 0.03f;
constexpr int kEmblemBlend = BLEND_COLORADD;  // additive alpha, no depth write
constexpr float kCursorTitleY = 356;
constexpr float kCursorGameOverY = 276;
constexpr unsigned kErrorIcon = 0x10;  // MB_ICONHAND

// Code page 936 names of the title pictures: night sky, and sky once the game was cleared.
const char* const kNightSky = "scene/\xD2\xB9\xBF\xD5.png";
const char* const kSky = "scene/\xCC\xEC\xBF\xD5.png";

template <class Hook, class... Args>
void call(const Hook& hook, Args&&... args) {
  if (hook) hook(std::forward<Args>(args)...);
}

HEFFECT loadSound(HGE* hge, const char* name) {
  return hge->Effect_Load(WStringToString(GetResourcePath(name, RES_SE)).c_str());
}

}  // namespace

xSystem* xSystem::getInstance() {
  if (!gSystem) gSystem = new xSystem();
  return gSystem;
}

void xSystem::resetForTests() {
  delete gSystem;
  gSystem = nullptr;
  SetErrorBoxHooks({});
}

xSystem::xSystem() : hge(hgeCreate(HGE_VERSION)) {
  hge->System_SetState(HGE_INIFILE, "config.ini");
  savedMusicVolume = getConfigInt(CFG_BGM_VOLUME);

  // The game opens with a fade from black.
  blackCover = std::make_unique<xSprite>("/se/loading.png");
  blackCover->fade(60, 0, false, false);
  loadingEmblem = std::make_unique<xSprite>("/se/loading_magic.png");
  loadingEmblem->fade(60, 0, false, false);
  loadingEmblem->setHotSpotCenter();
  loadingEmblem->setPos(700, 500);

  menuCursor = std::make_unique<xSprite>("UI/mainMenuBG.png");
  menuCursor->setPos(0, kCursorTitleY);
  titlePicture = std::make_unique<xSprite>(titleBackgroundName());
  darkCover = std::make_unique<xSprite>("/se/black.png");
  darkCover->setColor(0x00FFFFFF);

  moveSound = loadSound(hge, "click_08.wav");
  confirmSound = loadSound(hge, "Statitto.WAV");
  startSound = loadSound(hge, "start.WAV");
  logoSound = loadSound(hge, "Rod.wav");

  windowRect.Set(0, 0, float(getConfigInt(CFG_WINDOW_WIDTH)), float(getConfigInt(CFG_WINDOW_HEIGHT)));
  stgRect.Set(float(getConfigInt(CFG_STG_SCREEN_X)), float(getConfigInt(CFG_STG_SCREEN_Y)),
              float(getConfigInt(CFG_STG_SCREEN_X2)), float(getConfigInt(CFG_STG_SCREEN_Y2)));
  loadLogo();

  SetErrorBoxHooks({[this] { return !returningToTitle(); },
                    [this] { changeState(STATE_TITLE, true, ""); }});
}

xSystem::~xSystem() {
  for (HEFFECT sound : {moveSound, confirmSound, startSound, logoSound}) hge->Effect_Free(sound);
  for (auto* menu : {&stgPauseMenu, &avgPauseMenu, &titleMenu, &difficultyMenu, &gameOverMenu, &settingsMenu,
                     &keyConfigMenu, &volumeValueMenu}) {
    menu->reset();
  }
  for (auto& cell : logoCells) cell.reset();
  magicParticles.reset();
  particleCell.reset();
  blackCover.reset();
  loadingEmblem.reset();
  menuCursor.reset();
  titlePicture.reset();
  darkCover.reset();
  hge->Release();
}

void xSystem::changeState(GameState newState, bool fade, const std::string& name) {
  if (!fade) {
    if (newState == STATE_AVG) call(hooks.fogOff);
    state = newState;
    if (newState == STATE_GAMEOVER) {
      darkCover->fade(30, 0.6f, true, false);
      if (gameOverMenu) gameOverMenu->selectFirst();
      menuCursor->moveTo(10, 0, kCursorGameOverY);
      // The music sinks under the game-over menu; its volume comes back on leaving.
      xSoundManager* sound = xSoundManager::getInstance();
      savedMusicVolume = sound->bgmVolume;
      sound->slideBackgroundMusicVolume(1.0f, 3);
    }
    if (newState == STATE_AVG_IN_STG) call(hooks.sceneInStage);
  } else {
    ++fadeRequests_;
    pendingState = newState;
    transitionCounter = 0;
    call(hooks.enemyBulletsActive, false);
    blackCover->fade(60, 1.0f, true, false);
    loadingEmblem->rotationSpeed = kEmblemTurn;
    loadingEmblem->rotationMode = xSprite::kRotateForever;
    if (loadingEmblem->sprite) loadingEmblem->sprite->SetBlendMode(kEmblemBlend);
    // The emblem takes a new colour but keeps its alpha, then fades in from it.
    float alpha = loadingEmblem->color.a;
    loadingEmblem->setColor(kEmblemColours[hge->Random_Int(0, 9)]);
    loadingEmblem->color.a = alpha;
    loadingEmblem->fade(60, 1.0f, false, false);
  }
  scriptName = name;
}

bool xSystem::returningToTitle() const {
  return transitionCounter != kNoTransition && transitionCounter < kSwitchFrame &&
         pendingState == STATE_TITLE;
}

bool xSystem::update() {
  transitionStep();
  blackCover->update();
  loadingEmblem->update();
  darkCover->update();
  const bool switching = transitionCounter != kNoTransition;
  if (menusBuilt()) {
    switch (state) {
      case STATE_TITLE:
        // The end-game item: the loop ends without this frame's tail.
        if (!switching && titleStep()) return true;
        break;
      case STATE_PAUSE:
        if (!switching) pauseStep();
        break;
      case STATE_GAMEOVER:
        gameOverStep();
        break;
      case STATE_STG:
      case STATE_AVG:
      case STATE_AVG_IN_STG:
        pauseOpening();
        break;
      default:
        break;
    }
  }
  commonTail();
  return false;
}

void xSystem::transitionStep() {
  if (transitionCounter == kNoTransition || transitionCounter >= kTransitionFrames) return;
  if (++transitionCounter != kSwitchFrame) return;

  state = pendingState;
  darkCover->setColor(0x00FFFFFF);
  std::uint32_t requestsBefore = fadeRequests_;
  setUpState(state);
  // A set-up that asked for another faded switch keeps it running.
  if (fadeRequests_ != requestsBefore) return;

  transitionCounter = kNoTransition;
  blackCover->fade(60, 0, false, false);
  loadingEmblem->fade(60, 0, false, false);
}

void xSystem::setUpState(GameState newState) {
  if (newState == STATE_TITLE) setUpTitle();
  if (newState == STATE_STG) setUpStage();
  if (newState == STATE_AVG) setUpScene();
  if (newState == STATE_ENDING) call(hooks.startEnding);
}

void xSystem::setUpScene() {
  // Whether the scene file reads or not, the music fades out.
  xSoundManager::getInstance()->slideBackgroundMusicVolume(1.0f, 0);
  call(hooks.sceneBackground);
  if (!hooks.startScene || hooks.startScene(scriptName)) return;
  engine::messageBox("Error loading AVGScript " + scriptName, "Fatal Error", kErrorIcon);
  WriteLog("xSystem: Error loading AVGScript %s", scriptName.c_str());
  // Back to the title at once, without its music or picture.
  titlePage = 0;
  if (titleMenu) titleMenu->selectFirst();
  titleSelection = 0;
  menuCursor->setPos(0, kCursorTitleY);
  call(hooks.resetTitle);
  state = STATE_TITLE;
  scriptName.clear();
}

void xSystem::setUpStage() {
  call(hooks.resetStage);
  xSoundManager::getInstance()->stopBGSound();
  xTimerManager::getInstance()->clear();
  if (scriptName.size() <= 3) return;
  xScriptManager* scripts = xScriptManager::getInstance();
  script::ThreadIndex thread = scripts->loadScript(activeScriptGroupID, scriptName);
  scripts->setCurrFocusScript(activeScriptGroupID, thread);
}

void xSystem::GameStart() {
  xScriptManager* scripts = xScriptManager::getInstance();
  script::GroupId group = scripts->addScriptGroup();
  mainScriptGroup = script::toInt(group);
  if (group == script::kNoGroup) {
    hge->System_Log("xSystem::GameStart(): Error Adding Script Group to Script Manager");
    hge->System_Shutdown();
    std::exit(EXIT_FAILURE);
  }
  std::string name = getIniString("System", "InitScript", "initialize.vkscript");
  script::ThreadIndex thread = scripts->loadScript(group, name);
  initScriptSlot = script::toInt(thread);
  if (thread == script::kNoThread) {  // the load has shown why
    hge->System_Log("xSystem::GameStart(): Error Loading Script %s", name.c_str());
    hge->System_Shutdown();
    std::exit(EXIT_FAILURE);
  }
  for (const char* function :
       {"initSoundEffects", "initSystem", "initBullet", "initBackground", "initDifficulty", "init"}) {
    scripts->callFunc(function, group, thread);
  }
}

void xSystem::startNewGame() {
  xSoundManager::getInstance()->slideBackgroundMusicVolume(1.0f, 0);
  xScriptManager::getInstance()->callFunc("initScript", script::GroupId{mainScriptGroup},
                                          script::ThreadIndex{initScriptSlot});
  call(hooks.newGame);
}

void xSystem::setUpTitle() {
  titlePage = 0;
  if (titleMenu) titleMenu->selectFirst();
  titleSelection = 0;
  menuCursor->setPos(0, kCursorTitleY);
  call(hooks.resetTitle);
  xSoundManager* sound = xSoundManager::getInstance();
  sound->setBackgroundMusic("Ka1-d.mp3", true);
  sound->stopBGSound();
  call(hooks.titleBackground, titleBackgroundName());
  // The picture drawn over that background follows a clear recorded since
  // start-up (the ending's), not only the one found at construction.
  titlePicture = std::make_unique<xSprite>(titleBackgroundName());
  resetLogo();
}

void xSystem::setupTitleBackground() {
  state = STATE_TITLE;
  call(hooks.titleBackground, titleBackgroundName());
  if (titleMenu) titleMenu->select(0);
  titleSelection = 0;
  logoFrame = 0;
  resetLogo();
}

std::string xSystem::titleBackgroundName() const {
  return getIniInt("STG", "StageCleared", 0) == 0 ? kNightSky : kSky;
}

void xSystem::render() {
  darkCover->render();
  if (state == STATE_TITLE) {
    titlePicture->render();
    renderLogo();
    menuCursor->render();
    for (xMenu* menu : titlePageMenus()) {
      if (menu) menu->render();
    }
  } else if (state == STATE_PAUSE || state == STATE_GAMEOVER) {
    menuCursor->render();
    xMenu* menu = state == STATE_PAUSE ? pauseMenu() : gameOverMenu.get();
    if (menu) menu->render();
  }
  blackCover->render();
  loadingEmblem->render();
}

void xSystem::shakeScreen(int frames, int mode, float amplitude) {
  shakeDx = shakeDy = 0;
  shakeFrames = frames;
  shakeCount = 0;
  shakeAmplitude = amplitude;
  shakeMode = mode;
  shakeTurnX = shakeTurnY = false;
}

int xSystem::getConfigInt(ConfigItem item) const { return core::readConfigInt(hge, item); }
void xSystem::setConfigInt(ConfigItem item, int value) { core::writeConfigInt(hge, item, value); }
std::string xSystem::getConfigString(ConfigStringItem item) const { return core::readConfigString(hge, item); }

int xSystem::getIniInt(const std::string& section, const std::string& key, int def) const {
  return hge->Ini_GetInt(section.c_str(), key.c_str(), def);
}

std::string xSystem::getIniString(const std::string& section, const std::string& key,
                                  const std::string& def) const {
  return hge->Ini_GetString(section.c_str(), key.c_str(), def.c_str());
}

void xSystem::setIniInt(const std::string& section, const std::string& key, int value) {
  hge->Ini_SetInt(section.c_str(), key.c_str(), value);
}
