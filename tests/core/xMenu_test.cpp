// Menus driven by input actions: selection with wrap, bound scripts focused on confirm, empty menus, the manager's indices.
#include "core/xMenu.h"

#include <vector>

#include "tests/core/core_fixture.h"
#include "tests/core/sound_fixture.h"

namespace {

using engine::headless::keyDown;
using engine::headless::keyUp;

// The selection after every frame in which it changed: {frame, selected}.
std::vector<std::pair<int, int>> gSelections;
int gFrame = 0;

bool stepMenus() {
  xInputManager::getInstance()->update();
  xMenuManager* menus = xMenuManager::getInstance();
  int before = menus->getMenu(0)->selected;
  menus->update(1.0f / 60);
  if (menus->getMenu(0)->selected != before) gSelections.emplace_back(gFrame, menus->getMenu(0)->selected);
  ++gFrame;
  return false;
}

void tap(long frame, int key) {
  keyDown(frame, key);
  keyUp(frame + 1, key);
}

class MenuTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    gSelections.clear();
    gFrame = 0;
    startEngine();
    dir_.write("a.vkscript", "func init() { print(\"A init\"); }\n");
    dir_.write("b.vkscript", "func init() { print(\"B init\"); }\n");
    engine::clearPathCache();
  }
  // A menu of [items] items, held by the manager at index 0 and current.
  xMenu* makeMenu(int items) {
    auto menu = std::make_unique<xMenu>(L"NoSuchFont.ttf", 20);
    for (int i = 0; i < items; ++i) menu->addItem(L"item", 400, 300 + 50 * i);
    xMenuManager* menus = xMenuManager::getInstance();
    menus->current = menus->addMenu(std::move(menu));
    return menus->getMenu(menus->current);
  }
  script::ThreadIndex load(xMenu* menu, const char* file) {
    script::ThreadIndex thread = xScriptManager::getInstance()->loadScript(menu->scriptGroupId, file);
    EXPECT_NE(thread, script::kNoThread) << file;
    return thread;
  }
  std::string log() const { return dir_.read("log.txt"); }
};

TEST_F(MenuTest, KeysMoveTheSelectionWithWrapAndConfirmFocusesTheBoundScript) {
  xMenu* menu = makeMenu(3);
  EXPECT_EQ(menu->selected, 0);
  script::ThreadIndex b = load(menu, "b.vkscript");
  menu->bindScript(2, b);
  tap(0, HGEK_UP);  // wraps to the last item
  tap(20, HGEK_DOWN);  // wraps to the first
  tap(40, HGEK_DOWN);  // down and up in one frame: forward and back
  tap(40, HGEK_UP);
  tap(60, HGEK_DOWN);
  tap(80, HGEK_ENTER);  // item 1 has no script: nothing happens
  tap(100, HGEK_DOWN);
  tap(120, 'Z');  // shoot confirms too
  tap(140, HGEK_DOWN);  // the menu no longer takes input
  runFrames(150, stepMenus);
  EXPECT_EQ(gSelections, (std::vector<std::pair<int, int>>{{0, 2}, {20, 0}, {60, 1}, {100, 2}}));
  EXPECT_FALSE(menu->active);
  EXPECT_EQ(xScriptManager::getInstance()->focusedGroup(), menu->scriptGroupId);
  EXPECT_EQ(xScriptManager::getInstance()->focusedThread(), b);
  EXPECT_NE(log().find("B init\n"), std::string::npos) << log();
}

TEST_F(MenuTest, ChoosingAnotherItemUnloadsTheScriptFocusedBefore) {
  xMenu* menu = makeMenu(2);
  script::ThreadIndex a = load(menu, "a.vkscript");
  script::ThreadIndex b = load(menu, "b.vkscript");
  menu->bindScript(0, a);
  menu->bindScript(1, b);
  menu->bindScript(0, b);  // a later binding of the same item is never used
  EXPECT_EQ(menu->findBinding(0), a);
  EXPECT_EQ(menu->findBinding(5), script::kNoThread);

  menu->select(0);
  menu->activateSelected();
  menu->active = true;
  menu->select(1);
  menu->activateSelected();
  menu->active = true;
  menu->select(0);
  menu->activateSelected();  // a was unloaded when b took the focus
  EXPECT_FALSE(menu->active);
  EXPECT_EQ(xScriptManager::getInstance()->focusedThread(), a);
  std::string text = log();
  EXPECT_NE(text.find("A init\n"), std::string::npos);
  EXPECT_EQ(text.find("A init\n"), text.rfind("A init\n")) << "its init ran only once:\n" << text;
  EXPECT_NE(text.find("B init\n"), std::string::npos);
}

TEST_F(MenuTest, EmptyMenusAndIndicesNamingNoItemChangeNothing) {
  xMenu* menu = makeMenu(0);
  ScopedRecorder recorder(menu->engine);
  RecordingHge& rec = *recorder;
  for (auto move : {&xMenu::selectNext, &xMenu::selectPrevious, &xMenu::selectFirst, &xMenu::selectLast}) {
    (menu->*move)();
  }
  menu->select(0);
  menu->setItemText(0, L"x");
  menu->resetColors();
  EXPECT_EQ(menu->selected, -1);

  menu->itemSound = 42;  // only the call is looked at
  menu->addItem(L"a", 0, 0);
  menu->addItem(L"b", 0, 50);
  menu->select(7);
  EXPECT_EQ(menu->selected, 0);
  EXPECT_TRUE(rec.named("Effect_Play").empty());
  menu->select(-1);
  EXPECT_EQ(rec.named("Effect_Play").size(), 1u) << "the menu's own sound on every move";
  menu->selectPrevious();
  EXPECT_EQ(menu->selected, 1);
  // Clearing keeps a selection that names no item any more.
  menu->clear();
  menu->selectNext();
  menu->setItemText(1, L"gone");
  EXPECT_EQ(menu->selected, 1);
  menu->itemSound = 0;
}

TEST_F(MenuTest, TheManagerHoldsMenusByIndexAndDrawsTheActiveOnes) {
  xMenuManager* menus = xMenuManager::getInstance();
  xMenu* first = makeMenu(1);
  xMenu* second = makeMenu(1);
  const script::GroupId secondGroup = second->scriptGroupId;
  EXPECT_NE(first->scriptGroupId, secondGroup);
  first->active = false;
  menus->render();
  std::string text = log();
  EXPECT_EQ(text.find("rendering 0"), std::string::npos);
  EXPECT_NE(text.find("rendering 1\n"), std::string::npos);

  // Deleting moves the later menus down; current still names index 1, now past the end.
  menus->deleteMenu(0);
  EXPECT_EQ(menus->getMenu(0), second);
  EXPECT_EQ(menus->getScriptManagerID(0), secondGroup);
  EXPECT_EQ(menus->getScriptManagerID(1), script::kNoGroup);
  menus->update(1.0f / 60);
}

}  // namespace
