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

// "htAddSprite"(id, image): replaces a sprite already under id.
void host_AddSprite(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::int32_t id = call.intArg(0);
  xSpriteManager::getInstance()->addSprite(id, call.stringArg(1));
}

// "htRenderSprite"(id)
void host_RenderSprite(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (xSprite* s = target(call)) s->render();
}

// "htRenderSpriteWithPos"(id, x, y)
void host_RenderSpriteWithPos(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (!call.checkGroup(BadGroup::Silent)) return;
  xSpriteManager::getInstance()->renderSpriteAt(call.intArg(0), call.floatArg(1), call.floatArg(2));
}

// "htDeleteSprite"(id)
void host_DeleteSprite(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::Silent)) return;
  xSpriteManager::getInstance()->deleteSprite(call.intArg(0));
}

// "htDeleteSpriteEx"(id, frames): once, frames + 1 updates from now.
void host_DeleteSpriteEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  xSpriteManager::getInstance()->deleteSpriteEx(call.intArg(0), framesArg(call, 1));
}

// "htSetSpritePos"(id, x, y): also stops a move.
void host_SetSpritePos(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (xSprite* s = target(call)) s->setPos(call.floatArg(1), call.floatArg(2));
}

// "htSetSpriteHotSpot"(id, x, y)
void host_SetSpriteHotSpot(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (hgeSprite* p = picture(call)) p->SetHotSpot(call.floatArg(1), call.floatArg(2));
}

// "htSetSpriteZ"(id, z)
void host_SetSpriteZ(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (hgeSprite* p = picture(call)) p->SetZ(call.floatArg(1), -1);
}

// "htSetSpriteRotation"(id, degrees)
void host_SetSpriteRotation(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (xSprite* s = target(call)) s->rotation = call.floatArg(1) * kPi / 180.0f;
}

// "htSetSpriteScale"(id, sx, sy): at once, stopping a scaling.
void host_SetSpriteScale(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (xSprite* s = target(call)) s->setScale(call.floatArg(1), call.floatArg(2));
}

// "htSetSpriteColor"(id, r, g, b, a): the corners only; the sprite's next
// update puts its own colour back, so a script sets it in each "Render".
void host_SetSpriteColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  if (hgeSprite* p = picture(call)) p->SetColor(colourArgs(call, 1), -1);
}

// "htSetSpriteColorEx"(id, r, g, b, a, vertex): corner 0-3, -1 for all;
// any other vertex does nothing.
void host_SetSpriteColorEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (hgeSprite* p = picture(call)) p->SetColor(colourArgs(call, 1), call.intArg(5));
}

// "htSpriteFadeIn"(id, frames): from 0.01 up to opaque.
void host_SpriteFadeIn(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (xSprite* s = target(call)) s->fade(framesArg(call, 1), 1.0f, true, false);
}

// "htSpriteFadeOut"(id, frames): from the current alpha down to 0.
void host_SpriteFadeOut(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (xSprite* s = target(call)) s->fade(framesArg(call, 1), 0.0f, false, false);
}

// "htSpriteFadeInEx"(id, frames, alpha)
void host_SpriteFadeInEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (xSprite* s = target(call)) s->fade(framesArg(call, 1), call.floatArg(2), true, false);
}

// "htSpriteFadeOutEx"(id, frames, alpha)
void host_SpriteFadeOutEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (xSprite* s = target(call)) s->fade(framesArg(call, 1), call.floatArg(2), false, false);
}

// "htSpriteScale"(id, frames, scale)
void host_SpriteScale(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  if (xSprite* s = target(call)) {
    float scale = call.floatArg(2);
    s->scaleTo(framesArg(call, 1), scale, scale);
  }
}

// "htSpriteScaleEx"(id, frames, sx, sy)
void host_SpriteScaleEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (xSprite* s = target(call)) s->scaleTo(framesArg(call, 1), call.floatArg(2), call.floatArg(3));
}

// "htMoveSpriteTo"(id, frames, x, y)
void host_MoveSpriteTo(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (xSprite* s = target(call)) s->moveTo(framesArg(call, 1), call.floatArg(2), call.floatArg(3));
}

// "htEnableSpriteDistort"(id, on): each switch on lays a fresh mesh; off
// keeps the mesh but draws the quad again. A sprite without a picture has
// nothing to lay a mesh over.
void host_EnableSpriteDistort(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  xSprite* s = target(call);
  if (s == nullptr || !s->sprite) return;
  s->distorted = call.intArg(1) > 0;
  if (s->distorted) s->enableDistort();
}

// "htSetSpriteBlendMode"(id, mode): the engine's blend bits.
void host_SetSpriteBlendMode(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (hgeSprite* p = picture(call)) p->SetBlendMode(call.intArg(1));
}

// "htSetDistortDisplacement"(id, col, row, dx, dy, reference): nodes outside
// the grid, negative ones included, are left alone by the mesh.
void host_SetDistortDisplacement(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (hgeDistortionMesh* m = mesh(call)) {
    m->SetDisplacement(call.intArg(1), call.intArg(2), call.floatArg(3), call.floatArg(4), call.intArg(5));
  }
}

// "htSetDistortColor"(id, col, row, r, g, b, a)
void host_SetDistortColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 7);
  if (hgeDistortionMesh* m = mesh(call)) m->SetColor(call.intArg(1), call.intArg(2), colourArgs(call, 3));
}

// "htGetDistortCols"(id): 0 without a mesh.
void host_GetDistortCols(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  hgeDistortionMesh* m = mesh(call);
  call.returnInt(m != nullptr ? m->GetCols() : 0);  // nothing on a bad group
}

// "htGetDistortRows"(id): 0 without a mesh.
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
