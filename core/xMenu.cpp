// Script-bound menus and the menu manager.
#include "core/xMenu.h"

#include "base/resource_path.h"
#include "base/xLogFile.h"
#include "core/xInputManager.h"
#include "gfx/hgeTTFont.h"
#include "gfx/xFontManager.h"
#include "script/manager/xScriptManager.h"

namespace {
xMenuManager* gMenus = nullptr;
}

xMenu::xMenu(const std::wstring& fontName, int fontSize)
    : engine(hgeCreate(HGE_VERSION)),
      font(xFontManager::getInstance()->getTTFont(WStringToString(fontName), fontSize)),
      scriptGroupId(xScriptManager::getInstance()->addScriptGroup()) {
  if (font) font->SetKerningWidth(int(fontSize / 10.0));
}

xMenu::~xMenu() {
  items.clear();
  engine->Effect_Free(itemSound);
  engine->Release();
}

int xMenu::addItem(const std::wstring& title, float x, float y) {
  const int id = itemCount();
  items.push_back(std::make_unique<hgeGUIMenuItem>(id, font, itemSound, x, y, 0.0f, title));
  selected = 0;
  return id;
}

hgeGUIMenuItem* xMenu::item(int i) const { return i >= 0 && i < itemCount() ? items[i].get() : nullptr; }

script::ThreadIndex xMenu::findBinding(int itemId) const {
  for (const MenuBinding& b : bindings) {
    if (b.itemId == itemId) return b.thread;
  }
  return script::kNoThread;
}

void xMenu::bindScript(int itemId, script::ThreadIndex thread) { bindings.push_back({itemId, thread}); }

void xMenu::activateSelected() {
  script::ThreadIndex thread = findBinding(selected);
  if (thread == script::kNoThread) return;
  // Deactivated first: the script's "init" may delete this very menu.
  active = false;
  xScriptManager::getInstance()->setCurrFocusScript(scriptGroupId, thread);
}

void xMenu::select(int i) {
  if (i != -1 && !item(i)) return;
  if (hgeGUIMenuItem* old = item(selected)) old->Focus(false);
  selected = i;
  if (hgeGUIMenuItem* now = item(i)) now->Focus(true);
  if (itemSound != 0) engine->Effect_Play(itemSound);
}

void xMenu::selectNext() {
  if (items.empty()) return;
  select(selected + 1 >= itemCount() || selected < 0 ? 0 : selected + 1);
}

void xMenu::selectPrevious() {
  if (items.empty()) return;
  select(selected <= 0 || selected > itemCount() ? itemCount() - 1 : selected - 1);
}

void xMenu::selectFirst() {
  if (!items.empty()) select(0);
}

void xMenu::selectLast() {
  if (!items.empty()) select(itemCount() - 1);
}

void xMenu::selectThird() {
  if (hgeGUIMenuItem* old = item(selected)) old->Focus(false);
  selected = item(2) ? 2 : -1;
  if (hgeGUIMenuItem* now = item(selected)) now->Focus(true);
}

void xMenu::update(float dt) {
  for (auto& i : items) i->Update(dt);
}

void xMenu::render() {
  for (auto& i : items) i->Render();
}

void xMenu::clear() { items.clear(); }

void xMenu::setItemText(int i, const std::wstring& text) {
  if (hgeGUIMenuItem* it = item(i)) it->title = text;
}

void xMenu::resetColors() {
  for (auto& i : items) i->focusColour = 0xFFFFFFFF;
  if (hgeGUIMenuItem* it = item(selected)) it->Focus(true);
}

void xMenu::dimItems() {
  for (auto& i : items) {
    i->textColour = hgeColorRGB(1, 1, 1, 96.0f / 255);
    i->unfocusColour = 0x60FFFFFF;
  }
}

void xMenu::clearItemFlags() {
  for (auto& i : items) i->shadowOn = false;
}

xMenuManager* xMenuManager::getInstance() {
  if (!gMenus) gMenus = new xMenuManager();
  return gMenus;
}

void xMenuManager::resetForTests() {
  delete gMenus;
  gMenus = nullptr;
}

xMenuManager::xMenuManager() : engine(hgeCreate(HGE_VERSION)) {}

xMenuManager::~xMenuManager() {
  menus.clear();
  engine->Release();
}

int xMenuManager::addMenu(std::unique_ptr<xMenu> menu) {
  menus.push_back(std::move(menu));
  return int(menus.size()) - 1;
}

xMenu* xMenuManager::getMenu(int index) const {
  return index >= 0 && index < int(menus.size()) ? menus[index].get() : nullptr;
}

void xMenuManager::update(float dt) {
  xMenu* menu = getMenu(current);
  if (!menu || !menu->active) return;
  menu->update(dt);
  xInputManager* input = xInputManager::getInstance();
  if (input->isActionPressed(ACTION_DOWN)) menu->selectNext();
  if (input->isActionPressed(ACTION_UP)) menu->selectPrevious();
  if (input->isActionPressed(ACTION_SHOOT) || input->isActionPressed(ACTION_CONFIRM)) menu->activateSelected();
}

void xMenuManager::render() {
  for (std::size_t i = 0; i < menus.size(); ++i) {
    if (!menus[i] || !menus[i]->active) continue;
    WriteLog("rendering %d", int(i));
    menus[i]->render();
  }
}

void xMenuManager::deleteMenu(int index) {
  if (!getMenu(index)) return;
  menus.erase(menus.begin() + index);
}

void xMenuManager::bindScript(int menuIndex, int itemId, script::ThreadIndex thread) {
  xMenu* menu = getMenu(menuIndex);
  if (!menu) {
    WriteLog("xMenuManager::bindScript: invalid manager (%d)", menuIndex);
    return;
  }
  menu->bindScript(itemId, thread);
}

script::GroupId xMenuManager::getScriptManagerID(int menuIndex) const {
  xMenu* menu = getMenu(menuIndex);
  if (!menu) {
    WriteLog("xMenuManager::getScriptManagerID: invalid manager id(%d)", menuIndex);
    return script::kNoGroup;
  }
  return menu->scriptGroupId;
}
