// Every integer setting of config.ini at both ends of the int range, through the code that uses it: start-up, a stage with the player, its items and hits, a scene, the ending.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>

#include "script/manager/xScriptManager.h"
#include "stg/xItemManager.h"
#include "stg/xPlayer.h"
#include "stg/xScoreManager.h"
#include "tests/app/app_fixture.h"

namespace {

struct Setting {
  const char* section;
  const char* key;
};

const Setting kSettings[] = {
#define CONFIG_INT(value, name, section, key, def) {section, key},
#define CONFIG_STRING(value, name, section, key, def)
#include "core/config_items.def"
#undef CONFIG_INT
#undef CONFIG_STRING
    {"STG", "StageCleared"},
    {"STG", "ILoveRuvo"},
    {"STG", "CriticalX2Time"},
    {"STG", "HitX2Time"},
    {"Extra", "HitX2"},
    {"Extra", "HitX3"},
    {"Extra", "HitX4"},
    {"Extra", "HitX5"},
    {"Extra", "HitX6"},
    {"Extra", "endThemeLogoEndFrame"},
    {"Extra", "endThemeMonologueEndFrame"},
    {"Extra", "endThemeStaffEndFrame"},
    {"Extra", "monologueFontSize"},
    {"Extra", "DeleteAssembledScript"},
};

class ConfigExtremesTest : public app::test::GameTest,
                           public ::testing::WithParamInterface<std::tuple<Setting, int>> {};

// The sanitizer build is what makes an overflow here fail; the checks below
// only see that the game went on.
TEST_P(ConfigExtremesTest, TheGameRunsOn) {
  const auto [setting, value] = GetParam();
  dir_.write("config.ini", std::string("[") + setting.section + "]\n" + setting.key + "=" + std::to_string(value) + "\n");
  linkGameData();
  dir_.write("end.vkscript", "host htPlayEndTheme();\nfunc theEnd() {\n  htPlayEndTheme();\n}\n");
  startGame();
  frames(2);

  system->startNewGame();
  system->setState(STATE_STG);
  xPlayer* player = xPlayer::getInstance();
  player->create();
  player->criticalX2Count = 0;
  xItemManager::getInstance()->addItem(3, 400, 300);
  xScoreManager* score = xScoreManager::getInstance();
  for (int i = 0; i < 3; ++i) score->addHit(40000);
  frames(3);
  player->loseLife();
  frames(3);

  switchTo(STATE_AVG, "data/avg/prologue.txt");
  frames(3);

  xScriptManager* scripts = xScriptManager::getInstance();
  script::ThreadIndex thread = scripts->loadScript(activeScriptGroupID, "end.vkscript");
  ASSERT_TRUE(scripts->callFunc("theEnd", activeScriptGroupID, thread));
  frames(xSystem::kSwitchFrame + 5);
  EXPECT_NE(log().find("==="), std::string::npos);
}

std::string name(const ::testing::TestParamInfo<std::tuple<Setting, int>>& info) {
  const auto& [setting, value] = info.param;
  return std::string(setting.section) + "_" + setting.key + (value < 0 ? "_min" : "_max");
}

INSTANTIATE_TEST_SUITE_P(EndsOfTheIntRange, ConfigExtremesTest,
                         ::testing::Combine(::testing::ValuesIn(kSettings), ::testing::Values(INT_MIN, INT_MAX)),
                         name);

}  // namespace
