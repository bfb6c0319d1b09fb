// Registration of the sprite host functions: the scripts' own pictures by id, their tweens and distortion meshes.
//
// Every call is silent on a bad group and on an id that holds no sprite.
// Calls that touch the picture itself also pass over a sprite whose image
// failed to load, and the mesh calls a sprite without a mesh.
#include <cstdint>
#include <iterator>

#include "gfx/hgeColor.h"
#include "gfx/xSpriteManager.h"
#include "host/host_call.h"
#include "host/host_registration.h"

namespace {

using host::BadGroup;
using host::HostCall;
using script::GroupId;
using script::ThreadIndex;

constexpr float kPi = 3.1415927f;

// The sprite under the script's first argument, after the group check.
xSprite* target(const HostCall& call) {
  if (!call.checkGroup(BadGroup::Silent)) return nullptr;
  return xSpriteManager::getInstance()->findSprite(call.intArg(0));
}

// The picture of that sprite; null when it has none.
hgeSprite* picture(const HostCall& call) {
  xSprite* s = target(call);
  return s != nullptr ? s->sprite.get() : nullptr;
}

hgeDistortionMesh* mesh(const HostCall& call) {
  xSprite* s = target(call);
  return s != nullptr ? s->distortMesh.get() : nullptr;
}

// Four float arguments from [first] on, r, g, b, a, unclamped.
DWORD colourArgs(const HostCall& call, int first) {
  return GetHWColorFromFloats(call.floatArg(first), call.floatArg(first + 1), call.floatArg(first + 2),
                              call.floatArg(first + 3));
}

// Frame counts reach the tweens as unsigned counts.
std::uint32_t framesArg(const HostCall& call, int k) { return static_cast<std::uint32_t>(call.intArg(k)); }

// "htAddSprite"(id: int, image: string): loads the image as the script's sprite under id, replacing
// and destroying one already there.
void host_AddSprite(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::int32_t id = call.intArg(0);
  xSpriteManager::getInstance()->addSprite(id, call.stringArg(1));
}

// "htRenderSprite"(id: int): draws the sprite at its own position (call it from a "Render"
// function).
void host_RenderSprite(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (xSprite* s = target(call)) s->render();
}

// "htRenderSpriteWithPos"(id: int, x, y: float): draws the sprite at (x, y).
void host_RenderSpriteWithPos(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  xSpriteManager::getInstance()->renderSpriteAt(call.intArg(0), call.floatArg(1), call.floatArg(2));
}

// "htDeleteSprite"(id: int): destroys the sprite at once.
void host_DeleteSprite(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::Silent)) return;
  xSpriteManager::getInstance()->deleteSprite(call.intArg(0));
}

// "htDeleteSpriteEx"(id: int, frames: int): destroys the sprite frames + 1 updates from now.
void host_DeleteSpriteEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  xSpriteManager::getInstance()->deleteSpriteEx(call.intArg(0), framesArg(call, 1));
}

// "htSetSpritePos"(id: int, x, y: float): places the sprite at (x, y) at once, stopping a move.
void host_SetSpritePos(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (xSprite* s = target(call)) s->setPos(call.floatArg(1), call.floatArg(2));
}

// "htSetSpriteHotSpot"(id: int, x, y: float): sets the point of the picture that the position names
// (its centre by default).
void host_SetSpriteHotSpot(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (hgeSprite* p = picture(call)) p->SetHotSpot(call.floatArg(1), call.floatArg(2));
}

// "htSetSpriteZ"(id: int, z: float): sets the depth of all four corners.
void host_SetSpriteZ(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (hgeSprite* p = picture(call)) p->SetZ(call.floatArg(1), -1);
}

// "htSetSpriteRotation"(id: int, degrees: float): turns the sprite to that angle.
void host_SetSpriteRotation(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (xSprite* s = target(call)) s->rotation = call.floatArg(1) * kPi / 180.0f;
}

// "htSetSpriteScale"(id: int, sx, sy: float): scales the sprite at once, stopping a scaling.
void host_SetSpriteScale(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (xSprite* s = target(call)) s->setScale(call.floatArg(1), call.floatArg(2));
}

// "htSetSpriteColor"(id: int, r, g, b, a: float): colours the picture's four corners (components
// 0..1); the sprite's next update puts its own colour back, so a script sets it in each "Render".
void host_SetSpriteColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  if (hgeSprite* p = picture(call)) p->SetColor(colourArgs(call, 1), -1);
}

// "htSetSpriteColorEx"(id: int, r, g, b, a: float, vertex: int): colours corner vertex 0-3 of the
// picture, or all four for -1 (any other vertex does nothing); held as for htSetSpriteColor.
void host_SetSpriteColorEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (hgeSprite* p = picture(call)) p->SetColor(colourArgs(call, 1), call.intArg(5));
}

// "htSpriteFadeIn"(id: int, frames: int): fades the sprite in from alpha 0.01 to opaque over frames
// frames (0: opaque at once).
void host_SpriteFadeIn(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (xSprite* s = target(call)) s->fade(framesArg(call, 1), 1.0f, true, false);
}

// "htSpriteFadeOut"(id: int, frames: int): fades the sprite from its current alpha down to 0 over
// frames frames (0: at once).
void host_SpriteFadeOut(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (xSprite* s = target(call)) s->fade(framesArg(call, 1), 0.0f, false, false);
}

// "htSpriteFadeInEx"(id: int, frames: int, alpha: float): fades the sprite in from 0.01 to alpha
// over frames frames (0: alpha at once).
void host_SpriteFadeInEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (xSprite* s = target(call)) s->fade(framesArg(call, 1), call.floatArg(2), true, false);
}

// "htSpriteFadeOutEx"(id: int, frames: int, alpha: float): fades the sprite from its current alpha
// to alpha over frames frames (0: at once).
void host_SpriteFadeOutEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (xSprite* s = target(call)) s->fade(framesArg(call, 1), call.floatArg(2), false, false);
}

// "htSpriteScale"(id: int, frames: int, scale: float): scales the sprite to scale over frames
// frames.
void host_SpriteScale(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (xSprite* s = target(call)) {
    float scale = call.floatArg(2);
    s->scaleTo(framesArg(call, 1), scale, scale);
  }
}

// "htSpriteScaleEx"(id: int, frames: int, sx, sy: float): scales the sprite to (sx, sy) over frames
// frames.
void host_SpriteScaleEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (xSprite* s = target(call)) s->scaleTo(framesArg(call, 1), call.floatArg(2), call.floatArg(3));
}

// "htMoveSpriteTo"(id: int, frames: int, x, y: float): moves the sprite to (x, y) over frames
// frames.
void host_MoveSpriteTo(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (xSprite* s = target(call)) s->moveTo(framesArg(call, 1), call.floatArg(2), call.floatArg(3));
}

// "htEnableSpriteDistort"(id: int, on: int): on > 0 lays a fresh distortion mesh over the sprite; 0
// keeps the mesh but draws the plain picture again. A sprite without a picture has nothing to lay a
// mesh over.
void host_EnableSpriteDistort(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  xSprite* s = target(call);
  if (s == nullptr || !s->sprite) return;
  s->distorted = call.intArg(1) > 0;
  if (s->distorted) s->enableDistort();
}

// "htSetSpriteBlendMode"(id: int, mode: int): sets the picture's blend mode (the engine's blend
// bits).
void host_SetSpriteBlendMode(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (hgeSprite* p = picture(call)) p->SetBlendMode(call.intArg(1));
}

// "htSetDistortDisplacement"(id: int, col: int, row: int, dx, dy: float, reference: int): places
// mesh node (col, row) at (dx, dy) from the reference point (0 the node's own place, 1 the top-left
// corner, 2 the centre); nodes outside the grid are left alone.
void host_SetDistortDisplacement(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (hgeDistortionMesh* m = mesh(call)) {
    m->SetDisplacement(call.intArg(1), call.intArg(2), call.floatArg(3), call.floatArg(4), call.intArg(5));
  }
}

// "htSetDistortColor"(id: int, col: int, row: int, r, g, b, a: float): colours mesh node (col, row)
// (components 0..1).
void host_SetDistortColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 7);
  if (hgeDistortionMesh* m = mesh(call)) m->SetColor(call.intArg(1), call.intArg(2), colourArgs(call, 3));
}

// "htGetDistortCols"(id: int) -> int: the number of columns of the sprite's mesh; 0 without a
// sprite or a mesh.
void host_GetDistortCols(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  hgeDistortionMesh* m = mesh(call);
  call.returnInt(m != nullptr ? m->GetCols() : 0);  // nothing on a bad group
}

// "htGetDistortRows"(id: int) -> int: the number of rows of the sprite's mesh; 0 without a sprite
// or a mesh.
void host_GetDistortRows(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  hgeDistortionMesh* m = mesh(call);
  call.returnInt(m != nullptr ? m->GetRows() : 0);  // nothing on a bad group
}

// Registration order.
constexpr host::HostEntry kSpriteAPIs[] = {
    {"htAddSprite", host_AddSprite},
    {"htRenderSprite", host_RenderSprite},
    {"htRenderSpriteWithPos", host_RenderSpriteWithPos},
    {"htDeleteSprite", host_DeleteSprite},
    {"htDeleteSpriteEx", host_DeleteSpriteEx},
    {"htSetSpritePos", host_SetSpritePos},
    {"htSetSpriteHotSpot", host_SetSpriteHotSpot},
    {"htSetSpriteZ", host_SetSpriteZ},
    {"htSetSpriteRotation", host_SetSpriteRotation},
    {"htSetSpriteScale", host_SetSpriteScale},
    {"htSetSpriteColor", host_SetSpriteColor},
    {"htSetSpriteColorEx", host_SetSpriteColorEx},
    {"htSpriteFadeIn", host_SpriteFadeIn},
    {"htSpriteFadeOut", host_SpriteFadeOut},
    {"htSpriteFadeInEx", host_SpriteFadeInEx},
    {"htSpriteFadeOutEx", host_SpriteFadeOutEx},
    {"htSpriteScale", host_SpriteScale},
    {"htSpriteScaleEx", host_SpriteScaleEx},
    {"htMoveSpriteTo", host_MoveSpriteTo},
    {"htEnableSpriteDistort", host_EnableSpriteDistort},
    {"htSetSpriteBlendMode", host_SetSpriteBlendMode},
    {"htSetDistortDisplacement", host_SetDistortDisplacement},
    {"htSetDistortColor", host_SetDistortColor},
    {"htGetDistortCols", host_GetDistortCols},
    {"htGetDistortRows", host_GetDistortRows},
};
static_assert(std::size(kSpriteAPIs) == 25);

}  // namespace

void RegisterHostSpriteAPIs() { host::registerHostTable(kSpriteAPIs); }
