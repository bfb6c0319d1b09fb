// Registration of the font and text-box host functions: bitmap fonts by index, text from "Render", the scripts' text boxes.
//
// A bad group is silent. A font index that names no font is logged; a box
// index that names no box is passed over. Script text is code page 936 and
// becomes UTF-16 once per call, on its way to a font or a box.
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>

#include "base/resource_path.h"
#include "base/xLogFile.h"
#include "gfx/hgeColor.h"
#include "gfx/hgeTTFont.h"
#include "gfx/xFontManager.h"
#include "gfx/xTextBox.h"
#include "host/host_call.h"
#include "host/host_registration.h"
#include "script/runtime/vm_value.h"

namespace {

using host::BadGroup;
using host::HostCall;
using script::GroupId;
using script::ThreadIndex;

constexpr DWORD kWhite = 0xFFFFFFFF;
// What "htRenderStrEx" makes for a face no font has yet.
constexpr int kRenderStrExSize = 20;

// Four float arguments from [first] on, r, g, b, a, unclamped.
DWORD colourArgs(const HostCall& call, int first) {
  return GetHWColorFromFloats(call.floatArg(first), call.floatArg(first + 1), call.floatArg(first + 2),
                              call.floatArg(first + 3));
}

// The font [index] names, or null after logging [logName]'s message.
GfxFont* fontOrLog(std::int32_t index, const char* logName) {
  GfxFont* font = xFontManager::getInstance()->getFont(index);
  if (font == nullptr) WriteLog("%s: invalid font index", logName);
  return font;
}

// The box under the script's first argument, after the group check.
xTextBox* box(const HostCall& call) {
  if (!call.checkGroup(BadGroup::Silent)) return nullptr;
  return xTextBoxManager::getInstance()->getTextBox(call.intArg(0));
}

int createFont(const std::string& face, std::int32_t size, DWORD colour, gfx::FontStyle style) {
  return xFontManager::getInstance()->createFont(StringToWString(face), size, colour, style);
}

// "htCreateFont"(face: string, size: int) -> int: a new bitmap font of that face and pixel size,
// opaque white, antialiased; its index.
void host_CreateFont(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string face = call.stringArg(0);
  call.returnInt(createFont(face, call.intArg(1), kWhite, {}));
}

// "htRenderStr"(font: int, x, y: float, text: string): draws text with font at (x, y);
// "host_RenderStr: invalid font index" for a bad index.
void host_RenderStr(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (!call.checkGroup(BadGroup::Silent)) return;
  GfxFont* font = fontOrLog(call.intArg(0), "host_RenderStr");
  if (font != nullptr) font->Render(call.floatArg(1), call.floatArg(2), StringToWString(call.stringArg(3)));
}

// "htCreateFontWithColor"(face: string, size: int, r, g, b, a: float) -> int: as htCreateFont in
// that colour (components 0..1); its index.
void host_CreateFontWithColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string face = call.stringArg(0);
  call.returnInt(createFont(face, call.intArg(1), colourArgs(call, 2), {}), 2);
}

// "htCreateFontWithColorEx"(face: string, size: int, r, g, b, a: float, bold: int, italic: int,
// antialias: int) -> int: as htCreateFontWithColor, bold, italic and antialiased when those are >
// 0; its index.
void host_CreateFontWithColorEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 9);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::string face = call.stringArg(0);
  gfx::FontStyle style{.bold = call.intArg(6) != 0, .italic = call.intArg(7) != 0, .antialias = call.intArg(8) != 0};
  call.returnInt(createFont(face, call.intArg(1), colourArgs(call, 2), style), 2);
}

// "htSetFontColor"(font: int, r, g, b, a: float): colours all four corners of the font's glyphs
// (components 0..1).
void host_SetFontColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  if (!call.checkGroup(BadGroup::Silent)) return;
  if (GfxFont* font = fontOrLog(call.intArg(0), "host_SetFontColor")) font->SetColor(colourArgs(call, 1), -1);
}

// "htSetFontKerning"(font: int, kerning: float): the extra space between the font's characters, in
// pixels.
void host_SetFontKerning(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (!call.checkGroup(BadGroup::Silent)) return;
  if (GfxFont* font = fontOrLog(call.intArg(0), "host_SetFontKerning")) font->SetKerningWidth(call.floatArg(1));
}

// "htRenderStrEx"(face: string, x, y: float, text: string): draws text at (x, y) with the first
// font of that face, made at size 20 on first use and found again afterwards.
void host_RenderStrEx(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (!call.checkGroup(BadGroup::Silent)) return;
  std::wstring face = StringToWString(call.stringArg(0));
  xFontManager* fonts = xFontManager::getInstance();
  int index = fonts->findFont(face);
  if (index < 0) index = fonts->createFont(face, kRenderStrExSize, kWhite, {});
  GfxFont* font = fontOrLog(index, "host_RenderStr");
  if (font != nullptr) font->Render(call.floatArg(1), call.floatArg(2), StringToWString(call.stringArg(3)));
}

// "htCreateTextBox"(x, y, width, height: float, font: string, size: int) -> int: a new text box at
// (x, y) of width x height, with the TrueType font file font at size; its index.
void host_CreateTextBox(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 6);
  if (!call.checkGroup(BadGroup::Silent)) return;
  gfx::BoxArea area{call.floatArg(0), call.floatArg(1), call.floatArg(2), call.floatArg(3)};
  std::string font = call.stringArg(4);
  call.returnInt(xTextBoxManager::getInstance()->createTextBox(font, area, call.intArg(5)));
}

// "htDeleteTextBox"(box: int): deletes the box; its index is given to the next box made.
void host_DeleteTextBox(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 1);
  if (!call.checkGroup(BadGroup::Silent)) return;
  xTextBoxManager::getInstance()->deleteTextBox(call.intArg(0));
}

// "htMoveTextBoxTo"(box: int, frames: int, x, y: float): moves the box to (x, y) over frames
// frames.
void host_MoveTextBoxTo(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  if (xTextBox* b = box(call)) b->moveTo(static_cast<std::uint32_t>(call.intArg(1)), call.floatArg(2), call.floatArg(3));
}

// "htSetTextBoxColor"(box: int, r, g, b, a: float): the colour of characters added from now on
// (components 0..1); those already there keep theirs. A box whose font was not found still takes
// the colour.
void host_SetTextBoxColor(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  xTextBox* b = box(call);
  if (b == nullptr) return;
  DWORD colour = colourArgs(call, 1);
  if (b->font != nullptr) b->font->colour = colour;
  b->topColor.SetHWColor(colour);
  b->bottomColor.SetHWColor(colour);
}

// "htSetTextBoxPos"(box: int, x, y: float): places the box at (x, y); the size stays.
void host_SetTextBoxPos(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  xTextBox* b = box(call);
  if (b == nullptr) return;
  b->x = call.floatArg(1);
  b->y = call.floatArg(2);
  b->rectClean = false;
}

// "htSetTextBoxFrame" and "htSetTextBoxGradient"(box: int, image: string, offsetX, offsetY: float):
// the box's frame picture and the text's offset inside it; scripts written for either name set
// the frame (it is not a gradient).
void host_SetTextBoxFrame(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 4);
  xTextBox* b = box(call);
  if (b == nullptr) return;
  std::string image = call.stringArg(1);
  b->setFrame(image, call.floatArg(2), call.floatArg(3));
}

// "htSetTextBoxInfo"(box: int, reveal: int, fadeIn: int): reveal > 0 shows the text a character at
// a time; fadeIn > 0 fades each character in.
void host_SetTextBoxInfo(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 3);
  xTextBox* b = box(call);
  if (b == nullptr) return;
  b->revealOn = call.intArg(1) > 0;
  b->fadeInOn = call.intArg(2) > 0;
}

// "htSetTextBoxText"(box: int, text: string): replaces the box's text and restarts the reveal.
void host_SetTextBoxText(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (xTextBox* b = box(call)) b->setText(StringToWString(call.stringArg(1)));
}

// "htAddTextBoxText"(box: int, text: string): appends text to the box; a box grows by every
// call, so past 16 Mi characters the call ends with the script error box.
void host_AddTextBoxText(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  xTextBox* b = box(call);
  if (b == nullptr) return;
  std::wstring text = StringToWString(call.stringArg(1));
  if (b->chars.size() + text.size() > script::kMaxStringLength) {
    call.fail(script::kStringTooLong);
    return;
  }
  b->addText(text);
}

// "htSetTextBoxSize"(box: int, x, y, width, height: float): places the box at (x, y) and sets its
// size.
void host_SetTextBoxSize(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 5);
  xTextBox* b = box(call);
  if (b == nullptr) return;
  b->x = call.floatArg(1);
  b->y = call.floatArg(2);
  b->width = call.floatArg(3);
  b->height = call.floatArg(4);
  b->rectClean = false;
}

// "htSetTextBoxFadeUpdateDuration"(box: int, frames: int): each character fades in over frames
// frames (an unsigned count; 0 fades in one drawn frame).
void host_SetTextBoxFadeUpdateDuration(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  xTextBox* b = box(call);
  if (b == nullptr) return;
  b->fadeFrames = static_cast<std::uint32_t>(call.intArg(1));
  b->fadeStep = b->fadeFrames == 0 ? std::numeric_limits<float>::infinity() : 1.0f / static_cast<float>(b->fadeFrames);
}

// "htSetTextBoxScrollUpdateDuration"(box: int, frames: int): one more character every frames + 1
// updates while the reveal is on.
void host_SetTextBoxScrollUpdateDuration(ThreadIndex t, GroupId g) {
  HostCall call(t, g, 2);
  if (xTextBox* b = box(call)) b->revealCounter.start(static_cast<std::uint32_t>(call.intArg(1)), true);
}

// Registration order: 20 names, the frame function under two of them.
constexpr host::HostEntry kFontAPIs[] = {
    {"htCreateFont", host_CreateFont},
    {"htRenderStr", host_RenderStr},
    {"htCreateFontWithColor", host_CreateFontWithColor},
    {"htCreateFontWithColorEx", host_CreateFontWithColorEx},
    {"htSetFontColor", host_SetFontColor},
    {"htSetFontKerning", host_SetFontKerning},
    {"htRenderStrEx", host_RenderStrEx},
    {"htCreateTextBox", host_CreateTextBox},
    {"htDeleteTextBox", host_DeleteTextBox},
    {"htMoveTextBoxTo", host_MoveTextBoxTo},
    {"htSetTextBoxColor", host_SetTextBoxColor},
    {"htSetTextBoxPos", host_SetTextBoxPos},
    {"htSetTextBoxFrame", host_SetTextBoxFrame},
    {"htSetTextBoxGradient", host_SetTextBoxFrame},
    {"htSetTextBoxInfo", host_SetTextBoxInfo},
    {"htSetTextBoxText", host_SetTextBoxText},
    {"htAddTextBoxText", host_AddTextBoxText},
    {"htSetTextBoxSize", host_SetTextBoxSize},
    {"htSetTextBoxFadeUpdateDuration", host_SetTextBoxFadeUpdateDuration},
    {"htSetTextBoxScrollUpdateDuration", host_SetTextBoxScrollUpdateDuration},
};
static_assert(std::size(kFontAPIs) == 20);

}  // namespace

void RegisterHostFontAPIs() { host::registerHostTable(kFontAPIs); }
