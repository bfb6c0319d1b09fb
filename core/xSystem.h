// The game core: the current game state, faded switches between states, the shell's
// sprites and sounds, and the configuration items.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/game_state.h"
#include "core/state_hooks.h"
#include "core/xMenu.h"
#include "engine/hge.h"
#include "gfx/hgeParticleSystem.h"
#include "gfx/hgeRect.h"
#include "gfx/shared_texture.h"
#include "gfx/xSprite.h"

// A faded switch runs 120 frames: the black cover darkens for 60, the new
// state takes effect and is set up in the 60th, and the cover lifts over the
// next 60. Created by getInstance on first use; never destroyed in a run.
class xSystem {
 public:
  static constexpr int kNoTransition = -1;
  static constexpr int kSwitchFrame = 60;
  static constexpr int kTransitionFrames = 120;

  static xSystem* getInstance();
  // Tests: destroy the instance so the next getInstance builds a fresh one.
  static void resetForTests();

  // The only way to switch with a fade; also switches at once without one.
  void changeState(GameState state, bool fade, const std::string& scriptName);
  // The per-frame step, last in the frame callback: the transition, then
  // the title, pause or game-over page, or the pause opening, then the
  // shake, the logo and its particles. True (the title's end-game item
  // confirmed) ends the loop.
  bool update();
  // Over every scene: the dark cover, the title page with the logo or the
  // pause or game-over menu, then the transition covers.
  void render();
  // Starts a shake of [frames] frames, [mode] 1 vertical or 2 horizontal,
  // [amplitude] pixels; one started during another replaces it.
  void shakeScreen(int frames, int mode, float amplitude);

  // Start-up: the title state and its background.
  void setupTitleBackground();
  // Start-up, after the start-up script has declared the difficulties: the
  // eight menus of the title, pause and game-over pages. The shell drives
  // them itself; they are not in the menu manager.
  void buildMenus();
  // Writes the key pressed this frame to config.ini as key item [index]
  // (0-6: Shoot, Bomb, Slow, Up, Down, Left, Right) and gives the item its
  // name back. Other indexes do nothing.
  void applyKeyConfig(int index);
  // Start-up: makes the main script group, loads the start-up script
  // ([System] InitScript) and runs its six set-up functions in order. Ends
  // the process when the group cannot be made.
  void GameStart();
  // The difficulty page's confirm: the start-up script's "initScript" picks
  // the first stage or scene.
  void startNewGame();

  GameState getState() const { return state; }
  void setState(GameState s) { state = s; }
  GameState getPreviousState() const { return previousState; }

  int getConfigInt(ConfigItem item) const;
  void setConfigInt(ConfigItem item, int value);
  std::string getConfigString(ConfigStringItem item) const;
  int getIniInt(const std::string& section, const std::string& key, int def) const;
  std::string getIniString(const std::string& section, const std::string& key, const std::string& def) const;
  void setIniInt(const std::string& section, const std::string& key, int value);

  // True while a faded switch to the title runs: errors are then logged,
  // not shown, so an error repeating every frame cannot stack up boxes.
  bool returningToTitle() const;

  // Installed by app/ at start-up; see core/state_hooks.h.
  core::StateHooks hooks;
  std::vector<std::string> difficultyNames;
  HGE* hge;
  int transitionCounter = kNoTransition;
  GameState pendingState = GameState(-1);
  std::unique_ptr<xSprite> blackCover;
  std::unique_ptr<xSprite> loadingEmblem;
  GameState state = GameState(-1);
  GameState previousState = STATE_TITLE;
  std::string scriptName;
  hgeRect windowRect;
  hgeRect stgRect;
  std::unique_ptr<xSprite> menuCursor;
  std::unique_ptr<xSprite> titlePicture;
  // Null until buildMenus.
  std::unique_ptr<xMenu> stgPauseMenu, avgPauseMenu, titleMenu, difficultyMenu, gameOverMenu, settingsMenu,
      keyConfigMenu, volumeValueMenu;
  int difficulty = 0;
  int titlePage = 0;
  int titleSelection = 0;
  std::unique_ptr<xSprite> darkCover;
  std::string stageScriptName;
  int mainScriptGroup = -1;
  int initScriptSlot = -1;
  HEFFECT moveSound = 0, confirmSound = 0, startSound = 0, logoSound = 0;
  int shakeMode = -1;
  float shakeAmplitude = 0;
  bool shakeTurnX = false, shakeTurnY = false;
  float shakeDx = 0, shakeDy = 0;
  int shakeFrames = 0, shakeCount = 0;
  int keyCaptureCounter = 0;
  // Shoot or confirm already down when the pause opened: held shoot repeats
  // its press every 16 frames, so it confirms only after a release.
  bool pauseShootHeld = false, pauseConfirmHeld = false;
  int savedMusicVolume = 0;
  int logoFrame = -1;
  bool logoFailed = false;
  // The logo's nine cells, cut from one texture; none when it failed to load.
  static constexpr int kLogoCells = 9;
  gfx::SharedTexture logoTexture;
  std::array<std::unique_ptr<xSprite>, kLogoCells> logoCells;
  int logoSwingPhase = 1;      // 1 or 2, once the swing runs
  int logoPhaseCounter = -1;   // -1 before the swing starts
  // "magic.psi": the logo's sparks, stepped every frame in every state.
  gfx::SharedTexture particleTexture;
  std::unique_ptr<hgeSprite> particleCell;
  std::unique_ptr<hgeParticleSystem> magicParticles;

 private:
  xSystem();
  ~xSystem();
  void transitionStep();
  void setUpState(GameState state);
  void setUpTitle();
  void setUpScene();
  void setUpStage();
  bool menusBuilt() const { return titleMenu != nullptr; }
  // Title pages: false unless the end-game item was confirmed.
  bool titleStep();
  void keyCaptureStep();
  void moveTitleSelection(bool next);
  void changeVolume(int delta);
  bool confirmTitle();
  void cancelTitle();
  void moveTitleCursor();
  // The menus the title page shows, in drawing order; null entries for none.
  std::array<xMenu*, 2> titlePageMenus() const;
  void playMenuSound(HEFFECT sound);
  // Pause and game over.
  void pauseOpening();
  void pauseStep();
  void gameOverStep();
  void retryStage();
  void quitToTitle();
  xMenu* pauseMenu() const;
  void commonTail();
  void shakeStep();
  // The logo (core/title_logo.cpp).
  void loadLogo();
  void resetLogo();
  void stepLogo();
  void renderLogo();
  // The night sky until the game has been cleared, then the day sky.
  std::string titleBackgroundName() const;
  // Counts faded requests, so one made during a set-up is not lost.
  std::uint32_t fadeRequests_ = 0;
};
