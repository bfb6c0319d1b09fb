// Shared set-up of the script manager tests: a headless engine, a fresh folder, clean managers, and helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/xLogFile.h"
#include "engine/hge.h"
#include "engine/options.h"
#include "engine/platform.h"
#include "script/runtime/vm.h"
#include "script/runtime/xHostAPIManager.h"
#include "script/manager/xScriptManager.h"
#include "tests/support/temp_dir.h"

namespace testing_support {

class ManagerTest : public ::testing::Test {
 public:
  static xScriptManager* manager() { return xScriptManager::getInstance(); }
  // The value left in _RETVAL by the last call on the thread.
  static const vm_value& retval(script::GroupId g, script::ThreadIndex t) {
    static const vm_value kNone;
    vm* group = manager()->getScriptGroup(g);
    vm_script* thread = group != nullptr ? group->getThread(t) : nullptr;
    if (thread == nullptr) {
      ADD_FAILURE() << "no thread " << script::toInt(t) << " in group " << script::toInt(g);
      return kNone;
    }
    return thread->retval();
  }

 protected:
  void SetUp() override {
    engine::options().backend = engine::Backend::Headless;
    hge_ = hgeCreate(HGE_VERSION);
    ASSERT_TRUE(hge_->System_Initiate());
    hge_->System_SetState(HGE_INIFILE, "config.ini");
    resetManagers();
    manager()->setDiagnosticHandler(
        [this](const script::CompileDiagnostic& d) { diagnostics_.push_back(d.message); });
  }
  void TearDown() override {
    resetManagers();
    hge_->System_Shutdown();
    hge_->Release();
  }
  static void resetManagers() {
    xScriptManager::resetForTests();
    xHostAPIManager::resetForTests();
    xLogFile::resetForTests();
    engine::recordedMessageBoxes().clear();
  }

  // Writes [source] to [file] and loads it into [group].
  script::ThreadIndex load(script::GroupId group, const std::string& source,
                           const std::string& file = "test.vkscript") {
    dir_.write(file, source);
    engine::clearPathCache();
    return manager()->loadScript(group, file);
  }
  // A new group holding [source]; the thread must load.
  script::ThreadIndex loadNew(const std::string& source, script::GroupId* group = nullptr) {
    script::GroupId g = manager()->addScriptGroup();
    if (group != nullptr) *group = g;
    script::ThreadIndex t = load(g, source);
    EXPECT_NE(t, script::kNoThread) << "diagnostics: " << diagnostics_.size();
    return t;
  }
  std::string log() const { return dir_.read("log.txt"); }
  bool logHas(const std::string& line) const { return log().find(line + "\n") != std::string::npos; }
  static bool boxShown(const std::string& entry) {
    for (const std::string& box : engine::recordedMessageBoxes()) {
      if (box == entry) return true;
    }
    return false;
  }

  ScopedTempDir dir_;
  HGE* hge_ = nullptr;
  std::vector<std::string> diagnostics_;
};

}  // namespace testing_support
