// The run's score: the hit combo and its multiplier, the high-score file and the score board that closes a stage.
#include "stg/xScoreManager.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/resource_path.h"
#include "base/xLogFile.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "gfx/hgeTTFont.h"
#include "script/manager/xScriptManager.h"
#include "stg/bullet_targets.h"
#include "stg/score_file.h"
#include "stg/score_link.h"
#include "stg/xPlayer.h"
#include "stg/xSourceManager.h"

namespace {

xScoreManager* gScore = nullptr;

constexpr DWORD kBarColour = 0xFFFF5000;
constexpr float kBarWidth = 50, kBarHeight = 5;
constexpr float kBoardX = 100, kBoardY = 100;

constexpr const char* kComboFont = "DFGirl.ttf";
constexpr float kComboTextX = 200;
constexpr int kComboFadeOut = 180;
constexpr const char* kBoardFont = "Consolab.ttf";
constexpr int kBoardFontSize = 30;
constexpr DWORD kLabelColour = 0xFFFF8000, kValueColour = 0xFF0080DD;
constexpr float kLabelX = 180, kValueX = 530;

// The player as the score sees it: in play (created and not dying), where
// its sprite is ((400, 300) without one), and its power.
struct PlayerView {
  bool inPlay = false;
  float x = 400, y = 300;
  float power = 0;
};

PlayerView currentPlayer() {
  PlayerView view;
  const xPlayer* player = xPlayer::getInstance();
  view.inPlay = player->inPlay() && !player->dying();
  view.x = player->getX();
  view.y = player->getY();
  view.power = player->power;
  return view;
}

// The window a combo gets at the player's power: 180 frames at 0, 300 at 6.
// Worked out in float as the power is held: 2.0999999f x 20 is 42 in float
// but 41.999998 in double, a frame short.
std::int32_t comboWindowFor(float power) {
  if (std::isnan(power)) power = 0;  // as the ship's shots count it
  const float frames = std::trunc(power * 20.0f + 180.0f);
  return std::int32_t(std::clamp(double(frames), 0.0, 2147483647.0));
}

std::uint32_t saturatingAdd(std::uint32_t a, std::int64_t b) {
  if (b <= 0) return a;
  return std::uint32_t(std::min<std::int64_t>(std::int64_t(a) + b, xScoreManager::kMaxScore));
}

// Killed / created of the stage's enemies, kept as a fraction: as a float,
// 7 of 10 is 0.69999999 and the board would show 69% and a stage score one
// short of 170000.
struct DefeatRate {
  std::int64_t killed = 0, created = 0;  // created 0: a rate of 0
};

DefeatRate defeatRate() {
  const xSourceManager* enemies = xSourceManager::getInstance();
  if (enemies->created <= 0) return {};
  return {enemies->killed, enemies->created};
}

// trunc([value] x rate), exactly; 128 bits hold any int32 counts.
__int128 timesRate(std::int64_t value, DefeatRate rate) {
  if (rate.created == 0) return 0;
  return __int128(value) * rate.killed / rate.created;
}

// The board's percentage, trunc(rate x 100).
std::int64_t percentOf(DefeatRate rate) { return std::int64_t(timesRate(100, rate)); }

// (stage x 100000 + stage hits) x (rate + 1), truncated and clamped.
std::uint32_t stageScoreOf(std::int32_t stage, std::uint32_t stageHits, DefeatRate rate) {
  const std::int64_t base = std::int64_t(stage) * 100000 + stageHits;
  const __int128 value = base + timesRate(base, rate);
  return std::uint32_t(std::clamp<__int128>(value, 0, xScoreManager::kMaxScore));
}

// A score-board text gliding from ([x], [y0]) to ([x], [y1]).
void addBoardText(const std::string& text, DWORD colour, float x, float y0, float y1, int life) {
  xFloatingTextManager* texts = xFloatingTextManager::getInstance();
  gfx::FloatingTextId id = texts->addText(text, kBoardFont, kBoardFontSize, colour, x, y0, x, y1, life, 10, 30);
  texts->get(id)->moveTo(x, y1);
}

// The board's rows: a label, and beside it a value unless it has none.
struct BoardRow {
  std::int32_t frame;
  const char* label;
  float y0, y1;
  int life;
};
constexpr BoardRow kBoardRows[] = {
    {110, "Total Stage Hit: ", 250, 150, 260},
    {140, "Enemy Defeat Rate: ", 300, 200, 230},
    {170, "Stage Base: ", 350, 250, 200},
    {200, "Previous Stage Score: ", 400, 300, 170},
    {230, "Total Score: ", 450, 360, 140},
};

void endText(gfx::FloatingTextId id) {
  if (xFloatingText* text = xFloatingTextManager::getInstance()->get(id)) text->alive = false;
}

}  // namespace

xScoreManager* xScoreManager::getInstance() {
  if (!gScore) gScore = new xScoreManager();
  return gScore;
}

void xScoreManager::resetForTests() {
  delete gScore;
  gScore = nullptr;
  stg::scoreLink() = stg::ScoreLink{};
  stg::bulletTargets().addScoreHits = nullptr;
}

xScoreManager::xScoreManager() : hge(hgeCreate(HGE_VERSION)) {
  comboCounter.start(kBaseComboWindow, true);
  comboBar = std::make_unique<hgeSprite>(0, 0, 0, kBarWidth, kBarHeight);
  comboBar->SetColor(kBarColour);
  board = std::make_unique<xSprite>("UI/scoreboard.png");
  board->setPos(kBoardX, kBoardY);
  hitX2 = std::uint32_t(hge->Ini_GetInt("Extra", "HitX2", 500));
  hitX3 = std::uint32_t(hge->Ini_GetInt("Extra", "HitX3", 5000));
  hitX4 = std::uint32_t(hge->Ini_GetInt("Extra", "HitX4", 10000));
  hitX5 = std::uint32_t(hge->Ini_GetInt("Extra", "HitX5", 35000));
  hitX6 = std::uint32_t(hge->Ini_GetInt("Extra", "HitX6", 80000));
  hitX2Time = hge->Ini_GetInt("STG", "HitX2Time", 300);

  stg::ScoreLink& link = stg::scoreLink();
  link.addHit = [this](int hits) { addHit(hits); };
  link.hitMultiplier = [this] { return multiplier; };
  link.addScore = [this](int points) { addScore(points); };
  link.restartCombo = [this] { resetCombo(); };
  stg::bulletTargets().addScoreHits = [this](int hits) { addHit(hits); };
}

xScoreManager::~xScoreManager() { hge->Release(); }

void xScoreManager::LoadScore() {
  stg::ScoreFileRead read = stg::readScoreFile(stg::kScoreFileName);
  highScore = read.value;
  switch (read.status) {
    case stg::ScoreFileStatus::Ok: score = 0; break;
    case stg::ScoreFileStatus::Missing: break;
    case stg::ScoreFileStatus::Unreadable: WriteLog("LoadScore: Cannot read data file."); break;
    case stg::ScoreFileStatus::BadHeader: WriteLog("LoadScore: Invalid Data Header"); break;
    case stg::ScoreFileStatus::BadDigits: WriteLog("LoadScore: Invalid Score Data"); break;
  }
}

void xScoreManager::WriteScore() {
  highScore = std::max(highScore, score);
  switch (stg::writeScoreFile(stg::kScoreFileName, highScore)) {
    case stg::ScoreWriteStatus::Ok: break;
    case stg::ScoreWriteStatus::CannotOpen: WriteLog("WriteScore: Cannot open data file to write."); break;
    case stg::ScoreWriteStatus::CannotWrite: WriteLog("WriteScore: Cannot write data file."); break;
  }
}

void xScoreManager::addScore(std::int64_t points) { score = saturatingAdd(score, points); }

void xScoreManager::setBarWidth(float width) { comboBar->SetTextureRect(0, 0, width, 3); }

// DO NOT REORDER: the score takes the whole combo after this hit, and the
// multiplier text shows the multiplier this hit was weighted with.
void xScoreManager::addHit(int n) {
  const std::int64_t weighted = std::int64_t(multiplier) * n;
  comboHits = saturatingAdd(comboHits, weighted);
  comboCounter.start(std::uint32_t(std::max(comboWindow, 0)), true);
  comboRemaining = comboWindow;
  setBarWidth(40);
  runHits = saturatingAdd(runHits, weighted);
  stageHits = saturatingAdd(stageHits, weighted);
  addScore(comboHits);
  showComboTexts();
  updateMultiplier();
}

void xScoreManager::showComboTexts() {
  xFloatingTextManager* texts = xFloatingTextManager::getInstance();
  const std::string hits = std::to_string(comboHits) + " Hit!";
  endText(hitText);
  hitText = texts->addText(hits, kComboFont, 40, 0xFFA00000, kComboTextX, 0, kComboTextX, 0, comboWindow, 1,
                           kComboFadeOut);
  float width = 0;
  if (xFloatingText* text = texts->get(hitText); text && text->font) {
    width = float(text->font->GetTextSize(text->text).width);
  }
  endText(multiplierText);
  const float x = kComboTextX + width - 40;
  multiplierText = texts->addText("x " + std::to_string(multiplier), kComboFont, 45, 0xFF0060DD, x, 0, x, 0,
                                  comboWindow, 1, kComboFadeOut);
}

void xScoreManager::updateMultiplier() {
  const std::uint32_t thresholds[] = {hitX2, hitX3, hitX4, hitX5, hitX6};
  multiplier = 1;
  bool voice = false;
  for (int i = 0; i < 5; ++i) {
    if (comboHits >= thresholds[i]) multiplier = i + 2;
    if (comboHits == thresholds[i]) voice = true;
  }
  if (voice) xSoundManager::getInstance()->playVoice("wj.wav");
  if (hitX2Timer != kIdle) multiplier *= 2;
}

void xScoreManager::startHitX2() {
  // Items may stack the bonus; the doubling stops short of overflowing.
  multiplier = multiplier > 0x3FFFFFFF ? 0x7FFFFFFF : multiplier * 2;
  hitX2Timer = 0;
}

void xScoreManager::endCombo() {
  comboHits = 0;
  comboRemaining = 0;
  setBarWidth(2);
  comboCounter = xFrameCounter{};
}

void xScoreManager::resetCombo() {
  comboHits = 0;
  comboWindow = comboWindowFor(currentPlayer().power);
  comboCounter.start(std::uint32_t(comboWindow), true);
  comboRemaining = comboWindow;
  setBarWidth(40);
}

void xScoreManager::addStageScore() {
  previousStageScore = stageScoreOf(stage, stageHits, defeatRate());
  addScore(previousStageScore);
}

void xScoreManager::stageClear() {
  clearSnapshot = {stageHits, stage, runHits};
  boardFrame = 0;
  board->setColor(0x00FFFFFF);
  board->alphaTween.reset();
  xSystem::getInstance()->setState(STATE_SCOREBOARD);
  xFloatingTextManager::getInstance()->addText("Congratulations!\nStage Clear!!!", kBoardFont, 40, 0xFFFFFF50, 400,
                                               200, 400, 200, 70, 30, 30);
  xSoundManager* sound = xSoundManager::getInstance();
  hge->Channel_Stop(sound->musicChannel);
  sound->playSoundEffectOutFull("StageClear.mp3");
}

void xScoreManager::updateScoreBoard() {
  stepCombo();
  if (xSystem::getInstance()->getState() == STATE_SCOREBOARD) stepBoard();
  stepHitX2();
}

void xScoreManager::stepCombo() {
  const PlayerView player = currentPlayer();
  if (player.inPlay) {
    comboCounter.step();
    if (comboCounter.state == xFrameCounter::kFired) endCombo();
  }
  if (comboCounter.limit == 0) {
    setBarWidth(2);
    return;
  }
  // The window is measured anew: a power changed since the last hit shows
  // at once. A count past it leaves an empty bar, never a flipped one.
  const float window = float(comboWindowFor(player.power));
  const float left = window > 0 ? (window - float(comboCounter.count)) / window * kBarWidth : 0;
  setBarWidth(std::max(left, 0.0f));
}

void xScoreManager::stepBoard() {
  board->update();
  ++boardFrame;
  const DefeatRate rate = defeatRate();
  for (const BoardRow& row : kBoardRows) {
    if (row.frame != boardFrame) continue;
    addBoardText(row.label, kLabelColour, kLabelX, row.y0, row.y1, row.life);
    std::string value;
    switch (row.frame) {
      case 110: value = std::to_string(stageHits); break;
      case 140: value = std::to_string(percentOf(rate)) + "% "; break;
      case 170: value = std::to_string(std::int64_t(stage) * 100000); break;
      case 200: value = std::to_string(previousStageScore); break;
      default: break;  // the total has no value beside it
    }
    if (!value.empty()) addBoardText(value, kValueColour, kValueX, row.y0, row.y1, row.life);
  }
  switch (boardFrame) {
    case 60: board->fade(60, 0.7f, true, false); break;
    case 250: {
      previousStageScore = stageScoreOf(stage, stageHits, rate);
      const std::int64_t base = std::int64_t(stage) * 100000 + stageHits;
      const std::int64_t percent = 100 + percentOf(rate);
      const std::string formula = std::to_string(base) + " * " + std::to_string(percent) + "% = " +
                                  std::to_string(previousStageScore);
      xFloatingTextManager* texts = xFloatingTextManager::getInstance();
      gfx::FloatingTextId id =
          texts->addText(formula, kBoardFont, kBoardFontSize, 0xFFFF0000, 200, 500, 150, 400, 120, 10, 30);
      texts->get(id)->moveTo(200, 400);
      break;
    }
    case 360: board->fade(30, 0, false, true); break;
    default: break;
  }
  if (boardFrame >= kBoardEndFrame) endBoard();
}

void xScoreManager::endBoard() {
  xSystem::getInstance()->setState(STATE_STG);
  addStageScore();
  resetCombo();
  stage += 1;
  stageHits = 0;
  // Idle before the script runs: its "onScoreBoardEnd" may start the next
  // board at once.
  boardFrame = kIdle;
  xScriptManager::getInstance()->callCurrFunc("onScoreBoardEnd");
}

void xScoreManager::stepHitX2() {
  if (hitX2Timer == kIdle) return;
  // Compared before the step: the configured time may be INT_MAX.
  if (hitX2Timer >= hitX2Time) {
    hitX2Timer = kIdle;
    multiplier /= 2;
  } else {
    ++hitX2Timer;
  }
}

void xScoreManager::render() {
  const PlayerView player = currentPlayer();
  if (player.inPlay) comboBar->RenderEx(player.x - 25, player.y + 20, 0, 1, 1);
  if (xSystem::getInstance()->getState() == STATE_SCOREBOARD) board->render();
}

void xScoreManager::resetForNewGame() {
  score = 0;
  previousStageScore = 0;
  runHits = stageHits = comboHits = 0;
  stage = 1;
  clearSnapshot = {};
  stageStart = {};
  comboWindow = comboRemaining = kBaseComboWindow;
  multiplier = 1;
  comboCounter.start(kBaseComboWindow, true);
  setBarWidth(kBarWidth);
  boardFrame = kIdle;
  hitX2Timer = kIdle;
}

void xScoreManager::saveStageStart() { stageStart = {score, stage, runHits}; }

void xScoreManager::restoreStageStart() {
  score = stageStart.score;
  stage = stageStart.stage;
  runHits = stageStart.runHits;
  stageHits = 0;
  endCombo();
}
