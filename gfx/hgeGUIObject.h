// The base of the interface widgets (menu items, text boxes): an identified rectangle with overridable operations.
#pragma once

#include "engine/hge.h"
#include "gfx/hgeRect.h"

// Every operation but Render has a default that does nothing (or answers
// false, or "done"). Nothing in the game routes the mouse to widgets; the
// mouse operations exist for completeness of the interface.
class hgeGUIObject {
 public:
  hgeGUIObject();
  virtual ~hgeGUIObject();
  hgeGUIObject(const hgeGUIObject&) = delete;
  hgeGUIObject& operator=(const hgeGUIObject&) = delete;

  virtual void Render() = 0;
  // [dt] in seconds.
  virtual void Update(float dt) { (void)dt; }
  virtual void Enter() {}
  virtual void Leave() {}
  virtual void Reset() {}
  virtual bool IsDone() { return true; }
  virtual void Focus(bool focused) { (void)focused; }
  virtual void MouseOver(bool over) { (void)over; }
  virtual bool MouseMove(float x, float y) { (void)x, (void)y; return false; }
  virtual bool MouseLButton(bool down) { (void)down; return false; }
  virtual bool MouseRButton(bool down) { (void)down; return false; }
  virtual bool MouseWheel(int notches) { (void)notches; return false; }
  virtual bool KeyClick(int key, int chr) { (void)key, (void)chr; return false; }
  virtual void SetColor(DWORD col) { color = col; }

  int id = 0;
  bool isStatic = false;
  bool visible = true;
  bool enabled = true;
  hgeRect rect;
  DWORD color = 0xFFFFFFFF;

 protected:
  // One engine reference per live object, shared by the whole class.
  static HGE* hge_;
};
