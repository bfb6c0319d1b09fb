// Script-bound menus (a vertical list of items with a selection) and the manager of the menus scripts create.
//
// These live in core/ rather than gfx/ because choosing an item focuses a
// script through the script manager and the manager reads input actions:
// core/ may use both, gfx/ neither.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/hge.h"
#include "gfx/hgeGUIMenuItem.h"
#include "script/runtime/script_ids.h"

class hgeTTFont;

// Items share one TrueType font. The menu owns a script group of its own;
// scripts loaded into it are bound to items, and activating a bound item
// makes that script the focused one and deactivates the menu.
class xMenu {
 public:
  struct MenuBinding {
    int itemId;
    script::ThreadIndex thread;
  };

  // [fontName] is a font file name; the font's kerning becomes size / 10.
  xMenu(const std::wstring& fontName, int fontSize);
  ~xMenu();
  xMenu(const xMenu&) = delete;
  xMenu& operator=(const xMenu&) = delete;

  // Appends an item centred on [x] (its id is its index) and selects item 0.
  int addItem(const std::wstring& title, float x, float y);
  // The thread of the first binding of [itemId], kNoThread when none.
  script::ThreadIndex findBinding(int itemId) const;
  // Appends a binding; an earlier one for the same item wins.
  void bindScript(int itemId, script::ThreadIndex thread);
  // Focuses the selected item's script, if it has one, and deactivates the menu.
  void activateSelected();
  // Moves the focus to item [i] (-1: none) and plays the menu's sound. An
  // index naming no item changes nothing.
  void select(int i);
  // Wrapping moves; nothing in an empty menu.
  void selectNext();
  void selectPrevious();
  void selectFirst();
  void selectLast();
  // The selected item loses its focus; item 2 takes it when the menu has
  // one, else nothing is selected. No menu sound.
  void selectThird();
  void update(float dt);
  void render();
  // Destroys every item; selected is left as it was.
  void clear();
  // Replaces item [i]'s title (its rectangle is not measured again).
  void setItemText(int i, const std::wstring& text);
  // Every item's focus colour back to white; the selected item refocused.
  void resetColors();
  void dimItems();
  void clearItemFlags();

  // Item [i], null when there is none.
  hgeGUIMenuItem* item(int i) const;
  int itemCount() const { return int(items.size()); }

  HGE* engine;
  HEFFECT itemSound = 0;  // given to items created afterwards; owned
  hgeTTFont* font;        // shared, not owned; null when not found
  int selected = -1;
  std::vector<std::unique_ptr<hgeGUIMenuItem>> items;
  script::GroupId scriptGroupId;
  std::vector<MenuBinding> bindings;
  bool active = true;  // takes input and is drawn
};

// Holds the menus scripts create (the scene player's choices), by index:
// deleting one moves the later ones down. Updates the current menu and
// feeds it the input actions; draws every active one. The shell's own
// menus are not held here: the title, pause and game-over steps drive them.
// Single instance, never destroyed.
class xMenuManager {
 public:
  static xMenuManager* getInstance();
  static void resetForTests();

  // Appends [menu]; returns its index.
  int addMenu(std::unique_ptr<xMenu> menu);
  // The menu at [index], null for an invalid index or an empty slot.
  xMenu* getMenu(int index) const;
  // Steps the current menu when it is active: down, up, then shoot or confirm.
  void update(float dt);
  void render();
  void deleteMenu(int index);
  void bindScript(int menuIndex, int itemId, script::ThreadIndex thread);
  // The menu's own script group; kNoGroup (and a log line) for a bad index.
  script::GroupId getScriptManagerID(int menuIndex) const;

  std::vector<std::unique_ptr<xMenu>> menus;
  int current = -1;  // the menu that takes input
  HGE* engine;

 private:
  xMenuManager();
  ~xMenuManager();
};
