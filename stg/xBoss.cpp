// The boss: creation, attacks and their scripts, hits and transitions, death, and its rings, title, magic circle and life bar.
#include "stg/xBoss.h"

#include <algorithm>

#include "base/resource_path.h"
#include "base/saturating.h"
#include "base/xLogFile.h"
#include "core/config.h"
#include "core/xSoundManager.h"
#include "core/xSystem.h"
#include "engine/platform.h"
#include "gfx/xFloatingText.h"
#include "script/manager/xScriptManager.h"
#include "stg/bullet_targets.h"
#include "stg/mBulletManager.h"
#include "stg/score_link.h"
#include "stg/xPlayer.h"

namespace {

xBoss* gBoss = nullptr;

constexpr float kFrameTime = 1.0f / 60;
constexpr DWORD kWhite = 0xFFFFFFFF;
constexpr int kAppearSound = 10000;
constexpr int kDieSound = 10001;
constexpr int kHitSound = 10002;
constexpr std::int32_t kHitSoundPause = 5;  // a hit sounds at most once in this many frames
constexpr std::int32_t kCircleFrames = 120;
constexpr std::int32_t kEnergyFrames = 130;
constexpr std::int32_t kEnergyStopFrame = 55;
constexpr std::int32_t kCriticalStopFrame = 45;
constexpr float kRingTurn = 1.0f;
constexpr float kMagicCircleTurn = 0.03f;
constexpr gfx::BoxArea kNameBox{185, 5, 200, 30};
constexpr float kLifeBarX = 185, kLifeBarY = 30;
// Scripts give animations any number of cells; more than any sheet holds
// would exhaust memory (and overflow the lengths), so columns stop here.
constexpr int kMaxAnimCells = 1024;

// 32 x 32 cells of the shared particle image.
std::unique_ptr<hgeSprite> cell(const gfx::SharedTexture& texture, float x, float y) {
  return std::make_unique<hgeSprite>(texture.get(), x, y, 32, 32);
}

// A sprite of [image] turning about its centre without end.
std::unique_ptr<xSprite> turningSprite(const std::string& image, float speed) {
  auto s = std::make_unique<xSprite>(image);
  s->setHotSpotCenter();
  s->rotationSpeed = speed;
  s->rotationMode = xSprite::kRotateForever;
  return s;
}

}  // namespace

xBoss* xBoss::getInstance() {
  if (!gBoss) gBoss = new xBoss();
  return gBoss;
}

void xBoss::resetForTests() {
  delete gBoss;
  gBoss = nullptr;
}

xBoss::xBoss()
    : scriptGroup(xScriptManager::getInstance()->addScriptGroup()),
      particleTexture(gfx::SharedTexture::load(WStringToString(GetResourcePath("particles.png", RES_GRAPHIC)))),
      hge(hgeCreate(HGE_VERSION)) {
  nameBox = std::make_unique<xTextBox>(kNameBox, core::readConfigString(hge, CFG_STR_UI_FONT), 20);
  energyCell = cell(particleTexture, 32, 0);
  energySCCell = cell(particleTexture, 0, 32);
  dieCell = cell(particleTexture, 32, 32);
  criticalCell = cell(particleTexture, 32, 64);
  energyParticles = std::make_unique<hgeParticleSystem>("data/particle/bossEnerge.psi", energyCell.get());
  energySCParticles = std::make_unique<hgeParticleSystem>("data/particle/bossEnergeSC.psi", energySCCell.get());
  dieParticles = std::make_unique<hgeParticleSystem>("data/particle/bossDie.psi", dieCell.get());
  criticalParticles = std::make_unique<hgeParticleSystem>("data/particle/enemyCriticalDie.psi", criticalCell.get());
  lifeBar = std::make_unique<hgeSprite>(0, 0, 0, kLifeBarWidth, 3);
  circleSprite = turningSprite("circle.png", kRingTurn);
  redCircleSprite = turningSprite("redCircle.png", kRingTurn);
  magicCircleSprite = turningSprite("magicCircle.png", kMagicCircleTurn);

  stg::BulletTargets& targets = stg::bulletTargets();
  targets.visibleBossPosition = [](float& x, float& y) {
    const xBoss* boss = getInstance();
    return boss->position(x, y) && boss->sprite->sprite->color.a != 0;
  };
  targets.bossFighting = [] { return getInstance()->isActive(); };
  targets.hitBoss = [](float damage) { getInstance()->hit(damage); };
  targets.bossAttackScript = [](script::GroupId& group, script::ThreadIndex& thread) {
    const xBoss* boss = getInstance();
    if (boss->attackThread == script::kNoThread) return false;
    group = boss->scriptGroup;
    thread = boss->attackThread;
    return true;
  };
}

xBoss::~xBoss() {
  stg::BulletTargets& targets = stg::bulletTargets();
  targets.visibleBossPosition = nullptr;
  targets.bossFighting = nullptr;
  targets.hitBoss = nullptr;
  targets.bossAttackScript = nullptr;
  energyParticles.reset();
  energySCParticles.reset();
  dieParticles.reset();
  criticalParticles.reset();
  hge->Release();
}

bool xBoss::position(float& x, float& y) const {
  if (!sprite) return false;
  x = sprite->sprite->x;
  y = sprite->sprite->y;
  return true;
}

const xBossAttack* xBoss::currentAttack() const {
  if (attackIndex < 0 || static_cast<std::size_t>(attackIndex) >= attacks.size()) return nullptr;
  return &attacks[static_cast<std::size_t>(attackIndex)];
}

float xBoss::currentLife() const { return isActive() && currentAttack() ? life : 0.0f; }

void xBoss::clearState() {
  energyCount = circleCount = transitionCount = titleFrames = criticalCount = -1;
  attackIndex = -1;
  attackThread = script::kNoThread;
  life = 0;
  active = dying = spellCard = immortal = critical = magicCircleOn = bonusLost = false;
  dyingCount = 0;
  titleCount = 0;
  moveFrames = -1;
  moveCount = 0;
  titleSprite.reset();
  magicCircleSprite = turningSprite("magicCircle.png", kMagicCircleTurn);
  magicCircleColor = {1, 1, 1, 1};
  criticalParticles->Stop(true);
  dieParticles->Stop(true);
}

void xBoss::create(const std::string& bossName, const std::string& imageFile, float tx, float ty, float tw, float th,
                   int frames) {
  ++generation;
  clearState();
  sprite = std::make_unique<xSpriteCharacWithAnim>(imageFile, tx, ty, tw, th);
  sprite->sprite->setHotSpotCenter();
  sprite->sprite->fade(30, 1.0f, true, false);
  // The idle animation: [frames] cells in a column from the rectangle.
  frames = std::min(frames, kMaxAnimCells);
  sprite->addAnim(kIdleAnim, static_cast<std::uint32_t>(frames) * 6);
  for (int i = 0; i < std::max(frames, 1); ++i) {
    sprite->addAnimFrame(kIdleAnim, tx, ty + static_cast<float>(i) * th, tw, th);
  }
  sprite->playAnim(kIdleAnim, 0, true);
  name = bossName;
  moveFrames = 0;
  attacks.clear();
  nameBox->fadeOutOn = false;
  nameBox->setText(StringToWString(name));
  lifeBar->SetTextureRect(0, 0, kLifeBarWidth, 3);
  // From inside the boss's own attack script the runtime frees the old
  // group only when that call has unwound.
  xScriptManager::getInstance()->resetScriptGroup(scriptGroup);
  xSoundManager::getInstance()->playSoundEffect(kAppearSound);
}

void xBoss::addAttackScript(const std::string& file, std::uint32_t attackLife, std::int32_t spare,
                            std::int32_t bonus, bool isSpellCard) {
  attacks.push_back({file, attackLife, spare, bonus, isSpellCard});
}

void xBoss::fireEnergy(float dx, float dy) {
  float x = sprite->sprite->x, y = sprite->sprite->y;
  (spellCard ? energySCParticles : energyParticles)->FireAt(x + dx, y + dy);
}

void xBoss::startRings(bool isSpellCard, std::uint32_t circleFrames) {
  float x = sprite->sprite->x, y = sprite->sprite->y;
  redCircleSprite->setScale(0, 0);
  redCircleSprite->setPos(x, y);
  redCircleSprite->scaleTo(30, 3, 3);
  redCircleSprite->setColor(kWhite);
  redCircleSprite->fade(60, 0, false, false);
  if (!isSpellCard) return;
  circleCount = 0;
  circleSprite->setScale(0, 0);
  circleSprite->setPos(x, y);
  circleSprite->setColor(kWhite);
  circleSprite->scaleTo(circleFrames, 3, 3);
}

void xBoss::start() {
  if (!sprite) return;
  if (attacks.empty()) {
    WriteLog("xBoss::start: no attack script added");
    return;
  }
  attackIndex = 0;
  energyCount = 0;
  sprite->playAnim(kIdleAnim, 30, false);
  moveCount = 0;
  moveFrames = 30;
  life = static_cast<float>(attacks[0].life);
  spellCard = attacks[0].spellCard;
  hitSoundCount = kHitSoundPause;
  bonusLost = false;
  fireEnergy(-4, -4);
  active = true;
  startRings(spellCard, kCircleFrames);
  sprite->sprite->fade(60, 1.0f, true, false);
  if (loadAttack(0)) callAttack("init");
}

bool xBoss::loadAttack(std::size_t index) {
  xScriptManager* scripts = xScriptManager::getInstance();
  if (vm* group = scripts->getScriptGroup(scriptGroup); group && attackThread != script::kNoThread) {
    group->unloadScript(attackThread);
  }
  attackThread = scripts->loadScript(scriptGroup, attacks[index].file);
  if (attackThread != script::kNoThread) return true;
  engine::messageBox("Error loading boss attack script", "Fatal Error", 0x10);
  return false;
}

void xBoss::callAttack(const char* function) {
  if (attackThread == script::kNoThread) return;
  xScriptManager::getInstance()->callFunc(function, scriptGroup, attackThread);
}

void xBoss::hit(float damage) {
  if (immortal || !isActive() || transitionCount != -1 || !currentAttack()) return;
  life -= damage;
  if (hitSoundCount == 0) {
    xSoundManager::getInstance()->playSoundEffect(kHitSound);
    hitSoundCount = kHitSoundPause;
  }
  int r = hge->Random_Int(0, 100);
  critical = xPlayer::getInstance()->criticalChance() * 100 > static_cast<float>(r);
  if (critical) {
    // A critical hit on the boss counts hits, not damage.
    criticalParticles->FireAt(sprite->sprite->x - 16, sprite->sprite->y - 16);
    criticalCount = 0;
    stg::addScoreHit(10);
  }
  if (life >= 0) return;
  life = 0;
  std::int32_t bonus = currentAttack()->bonus;
  if (!bonusLost && bonus != 0) {
    stg::addScorePoints(bonus);
    xFloatingTextManager::getInstance()->addText("Bonus: " + IntToString(bonus), "Simhei.ttf", 40, 0xFFFF6000, 400,
                                                  200, 400, 100.1f, 120, 20, 20);
  }
  if (static_cast<std::size_t>(attackIndex) + 1 < attacks.size()) {
    nextAttack();
  } else {
    end();
  }
}

void xBoss::nextAttack() {
  ++attackIndex;
  if (!loadAttack(static_cast<std::size_t>(attackIndex))) {
    reset();
    xSystem::getInstance()->changeState(STATE_TITLE, true, "");
    return;
  }
  std::uint32_t made = generation;
  xScriptManager::getInstance()->callCurrFunc("onBossLossLife");
  // The handler may have ended the boss or made a new one.
  if (generation != made || !currentAttack() || !sprite) return;
  mBulletManager::getInstance()->clearBullets(true);
  bonusLost = false;
  immortal = false;
  spellCard = currentAttack()->spellCard;
  if (spellCard) startRings(true, kCircleFrames);
  transitionCount = 0;
}

void xBoss::end() {
  if (!sprite) return;
  dieParticles->FireAt(sprite->sprite->x, sprite->sprite->y);
  attacks.clear();
  life = 0;
  attackIndex = -1;
  attackThread = script::kNoThread;
  active = false;
  transitionCount = -1;
  mBulletManager::getInstance()->clearBullets(true);
  nameBox->fadeStep = 1.0f / 30;
  nameBox->fadeOutOn = true;
  xSoundManager::getInstance()->playSoundEffect(kDieSound);
  if (dieFrames > 0) {
    sprite->playAnim(kDieAnim, static_cast<std::uint32_t>(dieFrames) * 5, false);
    moveCount = 0;
    moveFrames = dieFrames * 5;
  } else {
    dieFrames = 12;
    sprite->sprite->fade(30, 0, false, false);
  }
  magicCircleSprite->fade(30, 0, false, false);
  dying = true;
}

void xBoss::reset() {
  sprite.reset();
  clearState();
  attacks.clear();
  dieFrames = 0;
  nameBox->setText(L"");
  xScriptManager::getInstance()->resetScriptGroup(scriptGroup);
}

void xBoss::update() {
  if (!sprite) return;
  GameState state = xSystem::getInstance()->getState();
  if ((state == STATE_STG && attackThread != script::kNoThread) || state == STATE_AVG_IN_STG) updateAttack();
  if (sprite && dying) updateDying();
  if (sprite && moveFrames != -1 && ++moveCount > moveFrames) {
    sprite->playAnim(kIdleAnim, 0, true);
    moveFrames = -1;
  }
}

void xBoss::updateAttack() {
  float x = sprite->sprite->x, y = sprite->sprite->y;
  if (circleCount != -1) {
    circleSprite->setPos(x, y);
    circleSprite->update();
    redCircleSprite->update();
    if (++circleCount > kCircleFrames) circleCount = -1;
  }
  if (transitionCount != -1) {
    if (++transitionCount > kTransitionFrames) {
      transitionCount = -1;
      life = currentAttack() ? static_cast<float>(currentAttack()->life) : 0.0f;
      energyCount = 0;
      fireEnergy(-16, -16);
      callAttack("init");
    }
  } else {
    callAttack("update");
  }
  // The script may have ended or replaced the boss.
  if (!sprite) return;
  x = sprite->sprite->x;
  y = sprite->sprite->y;
  if (energyCount != -1) {
    if (++energyCount > kEnergyFrames) energyCount = -1;
    for (hgeParticleSystem* p : {energyParticles.get(), energySCParticles.get()}) {
      p->MoveTo(x - 16, y - 16, false);
      p->Update(kFrameTime);
      if (energyCount == kEnergyStopFrame) p->Stop(false);
    }
  }
  sprite->update();
  sprite->sprite->setHotSpotCenter();
  nameBox->Update(kFrameTime);
  if (magicCircleOn) {
    magicCircleSprite->setPos(x, y);
    magicCircleSprite->update();
  }
  if (const xBossAttack* attack = currentAttack()) {
    // An attack of life 0 shows an empty bar.
    float width = attack->life == 0 ? 0.0f : life * kLifeBarWidth / static_cast<float>(attack->life);
    lifeBar->SetTextureRect(0, 0, width, 3);
  }
  if (hitSoundCount > 0) --hitSoundCount;
}

void xBoss::updateDying() {
  ++dyingCount;
  float x = sprite->sprite->x, y = sprite->sprite->y;
  sprite->update();
  nameBox->Update(kFrameTime);
  magicCircleSprite->update();
  dieParticles->MoveTo(x - 16, y - 16, false);
  dieParticles->Update(kFrameTime);
  // Scripts may set any number of frames, a negative one after the end too.
  if (dyingCount <= base::mulSaturated(dieFrames, 5)) return;
  dying = false;
  dyingCount = 0;
  dieParticles->Stop(false);
  std::uint32_t made = generation;
  xScriptManager::getInstance()->callCurrFunc("onBossDie");
  // A boss made by "onBossDie" stays.
  if (generation == made) reset();
}

void xBoss::render() {
  if (attackThread != script::kNoThread) {
    vm* group = xScriptManager::getInstance()->getScriptGroup(scriptGroup);
    if (group && group->hasRenderFunc(attackThread)) callAttack("render");
  }
  if (sprite) {
    float x = sprite->sprite->x, y = sprite->sprite->y;
    if (magicCircleOn) {
      magicCircleSprite->setPos(x, y);
      magicCircleSprite->render();
    }
    sprite->render();
    if (energyCount != -1) {
      energyParticles->Render();
      energySCParticles->Render();
    }
    if (circleCount != -1) {
      circleSprite->render();
      redCircleSprite->render();
    }
  }
  if (titleFrames != -1 && titleSprite) {
    ++titleCount;
    titleSprite->update();
    titleSprite->render();
    if (titleCount == titleFrames) titleSprite->fade(static_cast<std::uint32_t>(titleFrames), 0, false, false);
    if (titleCount > base::mulSaturated(titleFrames, 2)) {
      titleFrames = -1;
      titleCount = 0;
    }
  }
  if (critical) {
    if (++criticalCount == kCriticalStopFrame) criticalParticles->Stop(false);
    criticalParticles->Update(kFrameTime);
    criticalParticles->Render();
  }
  if (dying) dieParticles->Render();
}

void xBoss::renderOverlay() {
  if (attackThread == script::kNoThread || !active) return;
  lifeBar->SetColor(kWhite);
  if (spellCard) {
    lifeBar->SetColor(0xFFFF0000, 0);
    lifeBar->SetColor(0xFFFF0000, 3);
  }
  lifeBar->Render(kLifeBarX, kLifeBarY);
  nameBox->Render();
}

void xBoss::moveTo(int frames, float x, float y) {
  if (!sprite) return;
  float from = sprite->sprite->x;
  sprite->moveTo(static_cast<std::uint32_t>(std::max(frames, 0)), x, y);
  moveFrames = frames;
  moveCount = 0;
  if (x > from) sprite->playAnim(kRightAnim, 30, true);
  if (x < from) sprite->playAnim(kLeftAnim, 30, true);
}

void xBoss::addAnim(std::int32_t id, float x, float y, float w, float h, int frames) {
  if (!sprite) return;
  frames = std::min(frames, kMaxAnimCells);
  sprite->addAnim(id, static_cast<std::uint32_t>(frames) * 5);
  for (int i = 0; i < frames; ++i) sprite->addAnimFrame(id, x, y + static_cast<float>(i) * h, w, h);
}

void xBoss::setMovementRect(float x1, float y1, float w1, float h1, int frames1, float x2, float y2, float w2,
                            float h2, int frames2) {
  addAnim(kRightAnim, x1, y1, w1, h1, frames1);
  addAnim(kLeftAnim, x2, y2, w2, h2, frames2);
}

void xBoss::setDieAnim(float x, float y, float w, float h, int frames) {
  if (!sprite) return;
  frames = std::min(frames, kMaxAnimCells);
  sprite->addAnim(kDieAnim, static_cast<std::uint32_t>(frames) * 10);
  for (int i = 0; i < frames; ++i) sprite->addAnimFrame(kDieAnim, x, y + static_cast<float>(i) * h, w, h);
  dieFrames = frames;
}

void xBoss::playAnim(std::int32_t id, int duration, int loop) {
  if (!sprite) return;
  sprite->playAnim(id, static_cast<std::uint32_t>(duration), loop > 0);
  if (loop == 0) {
    moveFrames = duration;
    moveCount = 0;
  }
}

void xBoss::setPos(float x, float y) {
  if (!sprite) return;
  sprite->moveTween.reset();
  sprite->setPos(x, y);
}

void xBoss::setMagicCircleColor(float r, float g, float b, float a) {
  magicCircleColor = {r, g, b, a};
  magicCircleSprite->setColor(magicCircleColor.GetHWColor());
}

void xBoss::playEnergyAnim(int frames) {
  if (!sprite) return;
  energyCount = 0;
  circleCount = 0;
  fireEnergy(-16, -16);
  float x = sprite->sprite->x, y = sprite->sprite->y;
  circleSprite->setScale(0, 0);
  circleSprite->setPos(x, y);
  circleSprite->setColor(kWhite);
  circleSprite->scaleTo(static_cast<std::uint32_t>(std::max(frames, 0)), 3, 3);
  redCircleSprite->setScale(0, 0);
  redCircleSprite->setPos(x, y);
  redCircleSprite->scaleTo(30, 3, 3);
  redCircleSprite->setColor(kWhite);
  redCircleSprite->fade(60, 0, false, false);
}

void xBoss::displayTitle(const std::string& imageFile, int frames) {
  titleSprite = std::make_unique<xSprite>(imageFile);
  titleSprite->setPos(175, 100);
  titleSprite->fade(static_cast<std::uint32_t>(std::max(frames, 0)), 1.0f, true, false);
  titleFrames = frames;
  titleCount = 0;
}

void xBoss::enableMagicCircle(const std::string& imageFile, bool on) {
  magicCircleOn = on;
  magicCircleSprite = turningSprite(imageFile, kMagicCircleTurn);
  magicCircleSprite->setColor(magicCircleColor.GetHWColor());
}

void xBoss::setMagicCircleRotation(float speed) {
  magicCircleSprite->rotationSpeed = speed;
  magicCircleSprite->rotationMode = xSprite::kRotateForever;
}

void xBoss::setNameboxColor(float r, float g, float b, float a) {
  DWORD colour = GetHWColorFromFloats(r, g, b, a);
  nameBox->setGradient(colour, colour);
}
