// Host-function tests: the actor fixture with calls into the focused script and a sweep of declared names from a bad group.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "script/runtime/vm.h"
#include "tests/stg/actor_fixture.h"

namespace host::test {

class HostScriptTest : public stg::test::ActorTest {
 protected:
  // Calls [func] on the focused script; its result.
  vm_value call(const char* func) {
    xScriptManager* scripts = xScriptManager::getInstance();
    EXPECT_TRUE(scripts->callFunc(func, scripts->focusedGroup(), scripts->focusedThread())) << func;
    return scripts->getScriptGroup(scripts->focusedGroup())->getThread(scripts->focusedThread())->retval();
  }
  // Calls every "host NAME(...)" of [declarations] as if from group 9, which
  // does not exist; the number of names.
  static int callFromBadGroup(const std::string& declarations) {
    int names = 0;
    for (std::size_t at = declarations.find("host "); at != std::string::npos; at = declarations.find("host ", at + 1)) {
      std::string name = declarations.substr(at + 5, declarations.find('(', at) - at - 5);
      EXPECT_EQ(xHostAPIManager::getInstance()->callFunc(name, script::GroupId{9}, script::ThreadIndex{0}), 1) << name;
      ++names;
    }
    return names;
  }
};

}  // namespace host::test
