// The player's ship: movement, shot volleys, bombs with their cut-in, death with its bomb window, respawn and game over.
#include "stg/xPlayer.h"

#include <algorithm>
#include <cmath>

#include "base/resource_path.h"
#include "base/saturating.h"
#include "core/config.h"
#include "core/xInputManager.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "script/manager/xScriptManager.h"
#include "stg/bullet_targets.h"
#include "stg/mPlayerBullet.h"
#include "stg/score_link.h"
#include "stg/xBoss.h"
#include "stg/xMovement.h"

namespace {

xPlayer* gPlayer = nullptr;

constexpr float kFrameTime = 1.0f / 60;
constexpr DWORD kWhite = 0xFFFFFFFF;
constexpr DWORD kBlinkGrey = 0xFF909090;
constexpr int kShotSound = 10003;
constexpr int kBombSound = 10005;
constexpr int kDigitOne = 0x31, kDigitTwo = 0x32;
constexpr float kSlowSpeed = 2, kSlowDiagonal = 1.4142135f;
constexpr float kSpeed = 5, kDiagonal = 3.5384271f;
constexpr float kBossBodyReach = 20;
constexpr float kShotSpeed = 16;
constexpr float kMaxFanPower = 1000;
constexpr float kBombPictureX = -2400, kBombPictureY = 230;
// Bomb cut-in key frames and the salvos after the last one.
constexpr std::int32_t kCutInStart = 1, kCutInArrive = 20, kCutInEnd = 120, kSalvoEvery = 15;
// The point marker's cell on the shot sheet.
constexpr float kMarkerX = 64, kMarkerY = 0, kMarkerSize = 64;

void enemyBulletsClear() { mBulletManager::getInstance()->clearBullets(false); }

}  // namespace

xPlayer* xPlayer::getInstance() {
  if (!gPlayer) gPlayer = new xPlayer();
  return gPlayer;
}

void xPlayer::resetForTests() {
  delete gPlayer;
  gPlayer = nullptr;
}

xPlayer::xPlayer() : hge(hgeCreate(HGE_VERSION)) {
  lives = core::readConfigInt(hge, CFG_DEFAULT_LIFE);
  bombs = core::readConfigInt(hge, CFG_DEFAULT_BOMB);
  power = std::min(hge->Ini_GetFloat("STG", "DefaultPower", 0), kMaxPower);
  invincible = hge->Ini_GetInt("STG", "ILoveRuvo", 0) > 0;
  saveStageStartValues();
  pointSprite = std::make_unique<xSprite>("p.png");
  pointSprite->setHotSpotCenter();
  shots = std::make_unique<mBulletManager>("treg.png");
  shots->setScreenRect(125, -50, 725, 650);
  bombPicture = std::make_unique<xSprite>("bomb.png");
  blackCover = std::make_unique<xSprite>("se/black.png");
  blackCover->setColor(0x00FFFFFF);
  shockSprite = std::make_unique<xSprite>("se/shock.png");
  shockSprite->setHotSpotCenter();
  shockSprite->setColor(0x00FFFFFF);
  particleTexture = gfx::SharedTexture::load(WStringToString(GetResourcePath("particles.png", RES_GRAPHIC)));
  dieCell = std::make_unique<hgeSprite>(particleTexture.get(), 64, 32, 32, 32);
  dieParticles = std::make_unique<hgeParticleSystem>("data/particle/playerDie.psi", dieCell.get());
  showPoint = core::readConfigInt(hge, CFG_SHOW_PLAYER_POINT) != 0;
  pointMarker = std::make_unique<xSprite>("treg.png");
  if (pointMarker->sprite) pointMarker->setTextureRect(kMarkerX, kMarkerY, kMarkerSize, kMarkerSize);
  pointMarker->setHotSpotCenter();
  pointMarker->setScale(0, 0);
  criticalProb = hge->Ini_GetFloat("Extra", "PlayerCriticalProb", 0.02f);
  readKeys();
  normalAttack = hge->Ini_GetFloat("STG", "PlayerNormalAttack", 1.0f);
  trackingAttack = hge->Ini_GetFloat("STG", "PlayerTrackingAttack", 0.2f);
  normalAttack2 = hge->Ini_GetFloat("STG", "PlayerNormalAttack2", 0.5f);
  flameSound = hge->Effect_Load(WStringToString(GetResourcePath("flame buster.wav", RES_SE)).c_str());

  stg::BulletTargets& targets = stg::bulletTargets();
  targets.playerPosition = [](float& x, float& y) {
    const xPlayer* p = getInstance();
    if (!p->sprite) return false;
    x = p->getX();
    y = p->getY();
    return true;
  };
  targets.hitPlayer = [] { getInstance()->hit(); };
  targets.playerDying = [] { return getInstance()->dying(); };
  targets.criticalChance = [] { return getInstance()->criticalChance(); };
}

xPlayer::~xPlayer() {
  stg::BulletTargets& targets = stg::bulletTargets();
  targets.playerPosition = nullptr;
  targets.hitPlayer = nullptr;
  targets.playerDying = nullptr;
  targets.criticalChance = nullptr;
  dieParticles.reset();
  shots.reset();
  hge->Effect_Free(flameSound);
  hge->Release();
}

float xPlayer::getX() const { return sprite ? sprite->sprite->x : 400.0f; }
float xPlayer::getY() const { return sprite ? sprite->sprite->y : 300.0f; }

float xPlayer::criticalChance() const { return criticalX2Count != -1 ? criticalProb * 2 : criticalProb; }

void xPlayer::readKeys() {
  keyShoot = core::readConfigInt(hge, CFG_KEY_SHOOT);
  keyBomb = core::readConfigInt(hge, CFG_KEY_BOMB);
  keySlow = core::readConfigInt(hge, CFG_KEY_SLOW);
  keyUp = core::readConfigInt(hge, CFG_KEY_UP);
  keyDown = core::readConfigInt(hge, CFG_KEY_DOWN);
  keyLeft = core::readConfigInt(hge, CFG_KEY_LEFT);
  keyRight = core::readConfigInt(hge, CFG_KEY_RIGHT);
}

void xPlayer::create() {
  criticalX2Frames = hge->Ini_GetInt("STG", "CriticalX2Time", 300);
  criticalProb = hge->Ini_GetFloat("STG", "PlayerCriticalProb", 0.02f);
  // The key-configuration page may have changed them since the last stage.
  readKeys();
  stg::restartScoreCombo();
  if (!sprite) {
    sprite = std::make_unique<xSpriteCharac>(kShipImage, 0, 0, kShipW, kShipH);
    sprite->setMoveRects(kShipW, 0, kShipW, kShipH, 2 * kShipW, 0, kShipW, kShipH);
    sprite->sprite->setHotSpotCenter();
  }
  restoreLooks();
  sprite->setPos(kStartX, kEnterY);
  sprite->moveTo(30, kStartX, kStartY);
  entryCount = 0;
  created = true;
}

void xPlayer::restoreLooks() {
  if (sprite) {
    sprite->sprite->setScale(1, 1);
    sprite->sprite->setColor(kWhite);
  }
  pointMarker->setScale(slowMode ? 1.0f : 0.0f, slowMode ? 1.0f : 0.0f);
  pointMarker->setColor(kWhite);
  dimmed = 0;
}

void xPlayer::reset() {
  shots->killAllBullets();
  // A quit or retry in the middle of a death or a bomb costs nothing in the next game.
  deathCount = invincibleCount = blinkCount = bombCount = criticalX2Count = entryCount = -1;
  fireTimer = soundTimer = 0;
  slowMode = false;
  dieParticles->Stop(true);
  blackCover->setColor(0x00FFFFFF);
  shockSprite->setColor(0x00FFFFFF);
  restoreLooks();
}

void xPlayer::saveStageStartValues() { stageStart = {lives, bombs, counterA, counterB, power}; }

void xPlayer::restoreStageStartValues() {
  lives = stageStart.lives;
  bombs = stageStart.bombs;
  counterA = stageStart.counterA;
  counterB = stageStart.counterB;
  power = stageStart.power;
}

void xPlayer::resetPower() {
  lives = bombs = stageStart.lives = stageStart.bombs = 3;
  power = stageStart.power = 0;
  counterA = counterB = stageStart.counterA = stageStart.counterB = 0;
  lives = core::readConfigInt(hge, CFG_DEFAULT_LIFE);
  bombs = core::readConfigInt(hge, CFG_DEFAULT_BOMB);
  power = hge->Ini_GetFloat("STG", "DefaultPower", 0);
}

void xPlayer::addPower(float value) { power = std::min(power + value, kMaxPower); }

void xPlayer::hit() {
  if (!inPlay() || invincible) return;
  if (invincibleCount != -1 || deathCount != -1 || bombCount != -1) return;
  deathCount = 0;
  for (xSprite* s : {sprite->sprite.get(), pointMarker.get()}) {
    s->fade(30, 0, false, false);
    s->scaleTo(30, 0, 0);
  }
  xSoundManager::getInstance()->playSoundEffectOut("a.wav");
  dieParticles->FireAt(getX() - 16, getY() - 16);
}

void xPlayer::loseLife() {
  lives = base::subSaturated(lives, 1);  // scripts may have set any number
  xBoss* boss = xBoss::getInstance();
  if (boss->isActive()) boss->bonusLost = true;
  if (lives >= 0) {
    pointMarker->setScale(1, 1);
    pointMarker->setColor(kWhite);
    stg::restartScoreCombo();
  } else {
    lives = 0;
    created = false;
    xSystem::getInstance()->changeState(STATE_GAMEOVER, false, "");
    xScriptManager::getInstance()->callCurrFunc("onPlayerDie");
    xSoundManager::getInstance()->setBackgroundMusic("GameOver.mp3", false);
  }
  enemyBulletsClear();
}

void xPlayer::update() {
  if (!inPlay()) return;
  sprite->update();
  if (bombing()) updateBomb();
  if (dying()) updateDeath();
  if (!dying() && xSystem::getInstance()->getState() == STATE_STG) {
    // No steering in the first frames after a respawn or the stage entry:
    // the ship glides in from below the field first.
    if (entryCount == -1 && (invincibleCount == -1 || invincibleCount > kNoControlFrames)) move();
    shoot();
  }
  if (entryCount != -1 && ++entryCount > kNoControlFrames) entryCount = -1;
  if (invincibleCount != -1 && ++invincibleCount > kInvincibleFrames) {
    invincibleCount = -1;
    blinkCount = -1;
    dimmed = 0;
    if (sprite) sprite->sprite->setColor(kWhite);
  }
  if (blinkCount != -1 && ++blinkCount > 5) {
    blinkCount = 0;
    dimmed = !dimmed;
    if (sprite) sprite->sprite->setColor(dimmed ? kBlinkGrey : kWhite);
  }
  // Compared before the step: the configured time may be INT_MAX.
  if (criticalX2Count != -1) criticalX2Count = criticalX2Count >= criticalX2Frames ? -1 : criticalX2Count + 1;
  shots->update();
}

void xPlayer::startBomb() {
  bombCount = 0;
  --bombs;
  bombDuration = kBombFrames;
  shockSprite->setColor(0x00FFFFFF);
  bombPicture->setColor(kWhite);
  bombPicture->setPos(kBombPictureX, kBombPictureY);
  blackCover->setColor(0x00FFFFFF);
}

void xPlayer::updateBomb() {
  ++bombCount;
  enemyBulletsClear();
  if (bombCount == kCutInStart) {
    const hgeRect& field = xSystem::getInstance()->stgRect;
    bombPicture->moveTo(kCutInArrive - kCutInStart, field.x1, kBombPictureY);
    blackCover->fade(kCutInArrive, 0.5f, true, false);
    shockSprite->setPos(getX(), getY());
    shockSprite->setScale(0, 0);
    shockSprite->scaleTo(kCutInArrive, 4, 4);
    shockSprite->fade(kCutInArrive / 2, 1, true, false);
  } else if (bombCount == kCutInArrive) {
    shockSprite->fade(30, 0, false, false);
  } else if (bombCount == kCutInEnd) {
    bombPicture->fade(20, 0, false, false);
    blackCover->fade(30, 0, false, false);
    xSystem::getInstance()->shakeScreen(120, 2, 10.0f);
  }
  for (xSprite* s : {blackCover.get(), bombPicture.get(), shockSprite.get()}) s->update();
  if (bombCount > kCutInEnd && bombCount % kSalvoEvery == 0) {
    xSoundManager::getInstance()->playSoundEffect(kBombSound);
    for (float degrees : {250.0f, 260.0f, 270.0f, 280.0f, 290.0f}) {
      float a = degreesToRadians(degrees);
      shootBomb(getX(), getY(), 12 * std::cos(a), 12 * std::sin(a), 20);
    }
  }
  if (bombCount > bombDuration) bombCount = -1;
}

void xPlayer::updateDeath() {
  ++deathCount;
  if (deathCount < kBombWindow) {
    if (xInputManager::getInstance()->isActionPressed(ACTION_BOMB) && bombs > 0) {
      // Saved by a bomb, which costs one as any bomb does.
      startBomb();
      bombPicture->fade(30, 1, true, false);
      restoreLooks();
      deathCount = -1;
      invincibleCount = 0;
      blinkCount = 0;
      return;
    }
  } else if (deathCount == kBombWindow) {
    enemyBulletsClear();
  }
  dieParticles->Update(kFrameTime);
  if (deathCount > kRespawnFrame) respawn();
}

void xPlayer::respawn() {
  deathCount = -1;
  invincibleCount = 0;
  blinkCount = 0;
  dieParticles->Stop(false);
  restoreLooks();
  sprite->setPos(kStartX, kEnterY);
  sprite->moveTo(30, kStartX, kStartY);
  bombs = 3;
  stageStart.bombs = 3;
  loseLife();
  xScriptManager::getInstance()->callCurrFunc("onPlayerLossLife");
}

void xPlayer::move() {
  bool slow = hge->Input_GetKeyState(keySlow);
  if (slow != slowMode) {
    float scale = slow ? 1.0f : 0.0f;
    pointMarker->scaleTo(10, scale, scale);
    slowMode = slow;
  }
  float speed = slow ? kSlowSpeed : kSpeed;
  float dx = 0, dy = 0;
  if (hge->Input_GetKeyState(keyUp)) dy -= speed;
  if (hge->Input_GetKeyState(keyDown)) dy += speed;
  if (hge->Input_GetKeyState(keyLeft)) dx -= speed;
  if (hge->Input_GetKeyState(keyRight)) dx += speed;
  if (dx != 0 && dy != 0) {
    float diagonal = slow ? kSlowDiagonal : kDiagonal;
    dx = std::copysign(diagonal, dx);
    dy = std::copysign(diagonal, dy);
  }
  if (hge->Input_GetKeyState(keyUp) || hge->Input_GetKeyState(keyDown)) sprite->setPose(0);
  if (hge->Input_GetKeyState(keyLeft)) sprite->setPose(3);
  if (hge->Input_GetKeyState(keyRight)) sprite->setPose(4);
  // The whole ship stays inside the play field.
  const hgeRect& field = xSystem::getInstance()->stgRect;
  float x = std::clamp(getX() + dx, field.x1 + kShipW / 2, field.x2 - kShipW / 2);
  float y = std::clamp(getY() + dy, field.y1 + kShipH / 2, field.y2 - kShipH / 2);
  sprite->sprite->x = x;
  sprite->sprite->y = y;

  xBoss* boss = xBoss::getInstance();
  float bx = 0, by = 0;
  if (boss->isActive() && boss->position(bx, by) && std::fabs(x - bx) < kBossBodyReach &&
      std::fabs(y - by) < kBossBodyReach) {
    hit();
  }
}

void xPlayer::shoot() {
  if (hge->Input_GetKeyState(kDigitOne)) shotType = 0;
  if (hge->Input_GetKeyState(kDigitTwo)) shotType = 2;
  if (hge->Input_GetKeyState(keyShoot)) {
    if (fireTimer == 0) {
      if (soundTimer == 0) xSoundManager::getInstance()->playSoundEffect(kShotSound);
      fire();
      // The weaving shot fires, and sounds, on every frame.
      if (shotType != 2) {
        ++fireTimer;
        ++soundTimer;
      }
    } else {
      if (++fireTimer >= 2) fireTimer = 0;
      if (++soundTimer >= 5) soundTimer = 0;
    }
  }
  if (bombCount == -1 && xSystem::getInstance()->getState() == STATE_STG &&
      xInputManager::getInstance()->isActionPressed(ACTION_BOMB) && bombs > 0) {
    startBomb();
  }
}

void xPlayer::fire() {
  float x = getX(), y = getY();
  shootBullet(0, 120, 24, 24, x, y, 0, -kShotSpeed, normalAttack);
  // A power below 0 (or not a number) counts as 0: the fan divides by
  // power + 2. Scripts and scenes may set any power: beyond kMaxFanPower a
  // volley would flood the shot list (or overflow the shot count).
  float p = power > 0 ? std::min(power, kMaxFanPower) : 0.0f;
  if (shotType == 0) {
    float step = slowMode ? (2.5f * p + 20) / (p + 2) : (2.5f * p + 40) / (p + 2);
    float first = slowMode ? 260.0f : 250.0f;
    int last = static_cast<int>(std::floor(p)) + 2;
    for (int i = 0; i <= last; ++i) {
      float a = degreesToRadians(first + static_cast<float>(i) * step);
      shootBullet(0, 176, 16, 16, x, y, kShotSpeed * std::cos(a), kShotSpeed * std::sin(a), normalAttack2);
    }
  } else if (shotType == 2) {
    float reach = slowMode ? 20.0f : 30.0f;
    float damage = 0.03f * (p + 1);
    for (float phase : {weavePhase, weavePhase + 180.0f}) {
      float d = reach * std::sin(degreesToRadians(phase));
      shootBullet(0, 176, 16, 16, x + d, y, 0, -kShotSpeed, damage);
    }
    weavePhase += 10;
    if (weavePhase > 360) weavePhase = 0;
  }
}

void xPlayer::shootBullet(float tx, float ty, float tw, float th, float x, float y, float vx, float vy,
                          float damage) {
  auto shot = std::make_unique<mPlayerBullet>();
  shot->texRect = {tx, ty, tw, th};
  shot->movement.vx = vx;
  shot->movement.vy = vy;
  shot->movement.heading = std::atan2(vy, vx);
  shot->x = x;
  shot->y = y;
  shot->damage = damage;
  shots->addBullet(std::move(shot));
}

void xPlayer::shootBomb(float x, float y, float vx, float vy, float damage) {
  auto bomb = std::make_unique<mPlayerBomb>();
  bomb->movement.vx = vx;
  bomb->movement.vy = vy;
  bomb->movement.heading = std::atan2(vy, vx);
  bomb->x = x - 20;
  bomb->y = y - 20;
  bomb->damage = damage;
  bomb->particles->FireAt(x - 20, y - 20);
  shots->addBullet(std::move(bomb));
}

void xPlayer::render() {
  if (!created) return;
  shots->render();
  if (!sprite) return;
  float x = getX(), y = getY();
  if (dying()) {
    sprite->render();
    dieParticles->Render();
    if (deathCount == 45) dieParticles->Stop(false);
    return;
  }
  if (slowMode) {
    pointMarker->update();
    pointMarker->setPos(x, y);
    pointMarker->render();
  }
  sprite->render();
  pointSprite->setPos(x, y);
  pointSprite->render();
}

void xPlayer::renderBombCutIn() {
  blackCover->render();
  bombPicture->render();
  shockSprite->render();
}
