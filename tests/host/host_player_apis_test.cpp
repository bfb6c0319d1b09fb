// The player host functions called from a compiled script: creation, lives, bombs, power, position, bad groups.
#include <gtest/gtest.h>

#include <string>

#include "host/host_registration.h"
#include "tests/stg/actor_fixture.h"

namespace {

using script::GroupId;

constexpr const char* kNames[] = {"htCreatePlayer",   "htDestroyPlayer", "htSetPlayerLife", "htSetPlayerBomb",
                                  "htSetPlayerPower", "htGetPlayerLife", "htGetPlayerBomb", "htGetPlayerPower",
                                  "htAddPlayerLife",  "htAddPlayerBomb", "htAddPlayerPower", "htGetPlayerX",
                                  "htGetPlayerY"};

constexpr const char* kScript = R"(
host htCreatePlayer(); host htDestroyPlayer(); host htSetPlayerLife(n); host htSetPlayerBomb(n);
host htSetPlayerPower(n); host htGetPlayerLife(); host htGetPlayerBomb(); host htGetPlayerPower();
host htAddPlayerLife(); host htAddPlayerBomb(); host htAddPlayerPower(); host htGetPlayerX(); host htGetPlayerY();
func make() { htCreatePlayer(); }
func destroy() { htDestroyPlayer(); }
func setAll() { htSetPlayerLife(7); htSetPlayerBomb(-2); htSetPlayerPower(9); }
func addAll() { htAddPlayerLife(); htAddPlayerBomb(); htAddPlayerPower(); }
func counts() { return htGetPlayerLife() * 10000 + htGetPlayerBomb() * 100 + htGetPlayerPower(); }
func where() { return htGetPlayerX() * 1000 + htGetPlayerY(); }
)";

class HostPlayerTest : public stg::test::ActorTest {
 protected:
  void SetUp() override {
    ActorTest::SetUp();
    RegisterHostPlayerAPIs();
    focusScript(kScript);
    xSystem::getInstance()->setState(STATE_STG);
    player_ = xPlayer::getInstance();
  }
  vm_value call(const char* func) {
    xScriptManager* scripts = xScriptManager::getInstance();
    EXPECT_TRUE(scripts->callFunc(func, scripts->focusedGroup(), scripts->focusedThread())) << func;
    return scripts->getScriptGroup(scripts->focusedGroup())->getThread(scripts->focusedThread())->retval();
  }
  xPlayer* player_ = nullptr;
};

TEST_F(HostPlayerTest, ScriptsMakeThePlayerAndSetItsNumbersWithoutBounds) {
  EXPECT_FLOAT_EQ(call("where").floatValue, 400300);  // no ship yet: the window's centre
  call("make");
  EXPECT_TRUE(player_->inPlay());
  for (int i = 0; i < 31; ++i) player_->update();
  EXPECT_FLOAT_EQ(call("where").floatValue, 400520);
  call("setAll");
  EXPECT_EQ(player_->lives, 7);
  EXPECT_EQ(player_->bombs, -2);
  EXPECT_FLOAT_EQ(player_->power, 9);  // above the items' cap of 6
  call("addAll");
  EXPECT_EQ(call("counts").intValue, 8 * 10000 - 1 * 100 + 10);
  player_->power = 2.9f;
  EXPECT_EQ(call("counts").intValue % 100, 2);  // truncated
  call("destroy");  // changes nothing
  EXPECT_TRUE(player_->inPlay());
  EXPECT_EQ(player_->lives, 8);
  EXPECT_FLOAT_EQ(call("where").floatValue, 400520);
}

TEST_F(HostPlayerTest, ABadGroupIsLoggedByNameAndChangesNothing) {
  xScriptManager* scripts = xScriptManager::getInstance();
  int lives = player_->lives, bombs = player_->bombs;
  for (const char* name : kNames) {
    EXPECT_EQ(xHostAPIManager::getInstance()->callFunc(name, GroupId{9}, scripts->focusedThread()), 1) << name;
  }
  EXPECT_FALSE(player_->inPlay());
  EXPECT_EQ(player_->lives, lives);
  EXPECT_EQ(player_->bombs, bombs);
  std::string text = log();
  for (const char* logName : {"host_CreatePlayer", "host_DestroyPlayer", "host_SetPlayerItem", "host_AddPlayerItem",
                              "host_GetPlayerItem", "host_GetPlayerY"}) {
    EXPECT_NE(text.find(std::string(logName) + ": Error loading script manager 9"), std::string::npos) << logName;
  }
}

}  // namespace
