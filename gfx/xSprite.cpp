// The game's sprite: an hgeSprite moved, scaled, faded and turned by tweens.
#include "gfx/xSprite.h"

#include <algorithm>
#include <vector>

#include "base/resource_path.h"
#include "base/xLogFile.h"

namespace {

// The tween from [from] to [to] over [frames] (> 0), its counter and
// start left as they are.
void aimTween(xEffectBase& tween, float from, float to, std::uint32_t frames) {
  tween.end = frames;
  tween.value = from;
  tween.step = (to - from) / static_cast<float>(frames);
  tween.target = to;
}

// Nodes along one side of the distortion mesh: (int) of the size, pinned so
// a bad size (NaN included, which clamp lets through) cannot make the
// conversion undefined.
int meshNodes(float size) {
  if (!(size > 0)) return 0;
  return static_cast<int>(std::min(size, 65535.0f));
}

// Channel by channel, as the engine multiplies a texel by a vertex colour.
DWORD modulate(DWORD a, DWORD b) {
  DWORD out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    DWORD product = ((a >> shift) & 0xFF) * ((b >> shift) & 0xFF) / 255;
    out |= product << shift;
  }
  return out;
}

}  // namespace

xSprite::xSprite(const std::string& name) : hge(hgeCreate(HGE_VERSION)) {
  std::string path = WStringToString(GetResourcePath(name, RES_GRAPHIC));
  HTEXTURE tex = path.empty() ? 0 : hge->Texture_Load(path.c_str(), 0, false);
  if (!tex) {
    WriteLog("xSprite::xSprite(name): Error loading sprite %s\n", name.c_str());
    return;
  }
  texture = gfx::SharedTexture(tex);
  setUp(tex, 0, 0, static_cast<float>(hge->Texture_GetWidth(tex, false)),
        static_cast<float>(hge->Texture_GetHeight(tex, false)));
}

xSprite::xSprite(HTEXTURE tex, float x, float y, float w, float h) : hge(hgeCreate(HGE_VERSION)) {
  setUp(tex, x, y, w, h);
}

xSprite::xSprite(const gfx::SharedTexture& tex, float x, float y, float w, float h)
    : hge(hgeCreate(HGE_VERSION)), texture(tex) {
  setUp(tex.get(), x, y, w, h);
}

// The texture, the mesh and the hgeSprite hold references of their own, so
// releasing this one first leaves the engine alive for them.
xSprite::~xSprite() { hge->Release(); }

void xSprite::update() {
  if (fading) {
    alphaTween.update();
    if (alphaTween.active) color.a = std::clamp(alphaTween.value, 0.0f, 1.0f);
  }
  if (scaling) {
    scaleTweenX.update();
    scaleTweenY.update();
    if (scaleTweenX.active) scaleX = scaleTweenX.value;
    if (scaleTweenY.active) scaleY = scaleTweenY.value;
  }
  if (moving) {
    moveTween.update();
    if (moveTween.active) {
      x = moveTween.x;
      y = moveTween.y;
    }
  }
  applyColor();
  rotate();
}

void xSprite::render() {
  if (!sprite || color.a == 0) return;
  if (renderMesh(x, y)) return;
  if (scaleY == 1 && scaleX == 1 && rotation == 0) {
    sprite->Render(x, y);
  } else {
    sprite->RenderEx(x, y, rotation, scaleX, scaleY);
  }
}

void xSprite::renderEx(float atX, float atY) {
  if (!sprite || color.a == 0) return;
  if (renderMesh(atX, atY)) return;
  sprite->RenderEx(atX, atY, rotation, scaleX, scaleY);
}

void xSprite::fade(std::uint32_t frames, float target, bool fadeIn, bool fromCurrent) {
  alphaTween.reset();
  fading = true;
  if (frames == 0) {
    // Clamped as the tween's values are, so the colour word stays clean.
    color.a = std::clamp(target, 0.0f, 1.0f);
    return;
  }
  if (fadeIn && !fromCurrent) {
    // The step ignores the 0.01 start, so the last steps overshoot the
    // target; update clamps it.
    color.a = 0.01f;
    aimTween(alphaTween, 0.01f, target, frames);
    alphaTween.step = target / static_cast<float>(frames);
  } else {
    aimTween(alphaTween, color.a, target, frames);
  }
  if (fadeIn) applyColor();
}

void xSprite::scaleTo(std::uint32_t frames, float sx, float sy) {
  scaling = true;
  scaleTweenX.reset();
  scaleTweenY.reset();
  if (frames == 0) {
    scaleX = sx;
    scaleY = sy;
    return;
  }
  aimTween(scaleTweenX, scaleX, sx, frames);
  aimTween(scaleTweenY, scaleY, sy, frames);
}

void xSprite::moveTo(std::uint32_t frames, float toX, float toY) {
  moving = true;
  if (frames == 0) {
    setPos(toX, toY);
    return;
  }
  // A counter already past the end would finish the tween at the next
  // update without moving.
  if (moveTween.counter > frames) moveTween.counter = 0;
  moveTween.aim(frames, float(frames), x, y, toX, toY);
}

void xSprite::setPos(float toX, float toY) {
  x = toX;
  y = toY;
  moveTween.reset();
}

void xSprite::setScale(float sx, float sy) {
  scaleX = sx;
  scaleY = sy;
  scaleTweenX.reset();
  scaleTweenY.reset();
}

void xSprite::setColor(DWORD col) {
  if (sprite) sprite->SetColor(col, -1);
  alphaTween.reset();
  color.SetHWColor(col);
}

void xSprite::setHotSpot(float hx, float hy) {
  if (sprite) sprite->SetHotSpot(hx, hy);
}

void xSprite::setHotSpotCenter() {
  if (sprite) sprite->SetHotSpot(sprite->GetWidth() * 0.5f, sprite->GetHeight() * 0.5f);
}

void xSprite::setTextureRect(float rx, float ry, float w, float h) {
  if (sprite) sprite->SetTextureRect(rx, ry, w, h, true);
}

void xSprite::enableDistort() {
  if (!sprite) return;
  int cols = meshNodes(sprite->GetWidth());
  int rows = meshNodes(sprite->GetHeight());
  if (static_cast<long long>(cols) * rows > gfx::kMaxMeshNodes) {
    WriteLog("xSprite::enableDistort: a mesh of %d x %d nodes is too large (at most %lld), the sprite stays "
             "undistorted\n", cols, rows, gfx::kMaxMeshNodes);
    distortMesh.reset();
    return;
  }
  distortMesh = std::make_unique<hgeDistortionMesh>(cols, rows);
  distortMesh->SetTexture(sprite->GetTexture());
  float tx, ty, w, h;
  sprite->GetTextureRect(&tx, &ty, &w, &h);
  distortMesh->SetTextureRect(tx, ty, w, h);
}

bool xSprite::renderMesh(float atX, float atY) {
  if (!distorted || !distortMesh) return false;
  float hotX, hotY;
  sprite->GetHotSpot(&hotX, &hotY);
  hgeDistortionMesh& mesh = *distortMesh;
  // The quad's colour tints every node for this drawing, so fades and
  // colours reach a distorted sprite too.
  DWORD tint = sprite->GetColor(0);
  if (tint == 0xFFFFFFFF) {
    mesh.Render(atX - hotX, atY - hotY);
    return true;
  }
  std::vector<DWORD> own;
  own.reserve(static_cast<std::size_t>(mesh.GetCols()) * static_cast<std::size_t>(mesh.GetRows()));
  for (int r = 0; r < mesh.GetRows(); ++r) {
    for (int c = 0; c < mesh.GetCols(); ++c) {
      own.push_back(mesh.GetColor(c, r));
      mesh.SetColor(c, r, modulate(own.back(), tint));
    }
  }
  mesh.Render(atX - hotX, atY - hotY);
  std::size_t i = 0;
  for (int r = 0; r < mesh.GetRows(); ++r) {
    for (int c = 0; c < mesh.GetCols(); ++c) mesh.SetColor(c, r, own[i++]);
  }
  return true;
}

void xSprite::setUp(HTEXTURE tex, float rx, float ry, float w, float h) {
  sprite = std::make_unique<hgeSprite>(tex, rx, ry, w, h);
  x = y = 0;
  scaleX = scaleY = 1;
  rotation = 0;
  color.SetHWColor(sprite->GetColor(0));
  rotationMode = kRotateNone;
  fading = scaling = moving = false;
}

void xSprite::applyColor() {
  if (sprite) sprite->SetColor(color.GetHWColor(), -1);
}

void xSprite::rotate() {
  if (rotationMode == kRotateForever) {
    rotation += rotationSpeed;
    return;
  }
  if (rotationMode != kRotateCounted) return;
  rotation += rotationSpeed;
  if (++rotationCount > rotationLimit) {
    rotationMode = kRotateNone;
    rotationCount = 0;
    rotationLimit = 0;
  }
}
