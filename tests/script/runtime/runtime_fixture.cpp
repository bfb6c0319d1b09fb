// Test helpers for the script runtime.
#include "tests/script/runtime/runtime_fixture.h"

#include <fstream>
#include <sstream>

#include "base/xLogFile.h"
#include "engine/platform.h"
#include "script/runtime/xHostAPIManager.h"

namespace vmtest {
namespace {

void htCheck(script::ThreadIndex thread, script::GroupId) {
  ++record().calls;
  vm* g = currentGroup();
  if (g->getParamAsInt(thread, 0) == 0) record().failures.push_back(g->getParamAsString(thread, 1));
  g->returnIntFromHost(thread, 2, 0);
}

void htRecord(script::ThreadIndex thread, script::GroupId) {
  ++record().calls;
  record().values.push_back(currentGroup()->getParamAsString(thread, 0));
}

void htAdd2(script::ThreadIndex thread, script::GroupId) {
  ++record().calls;
  vm* g = currentGroup();
  std::int32_t b = g->getParamAsInt(thread, 0);
  std::int32_t a = g->getParamAsInt(thread, 1);
  g->returnIntFromHost(thread, 2, a + b);
}

void htGetStr(script::ThreadIndex thread, script::GroupId) {
  ++record().calls;
  currentGroup()->returnStringFromHost(thread, 0, "host");
}

}  // namespace

HostRecord& record() {
  static HostRecord r;
  return r;
}

vm*& currentGroup() {
  static vm* group = nullptr;
  return group;
}

void registerTestHosts() {
  xHostAPIManager* registry = xHostAPIManager::getInstance();
  registry->addFunc("htCheck", htCheck);
  registry->addFunc("htRecord", htRecord);
  registry->addFunc("htAdd2", htAdd2);
  registry->addFunc("htGetStr", htGetStr);
}

void VmTest::SetUp() {
  engine::options().backend = engine::Backend::Headless;
  xLogFile::resetForTests();
  xHostAPIManager::resetForTests();
  record() = HostRecord();
  registerTestHosts();
  group_.reset(new vm(script::GroupId{0}));
  currentGroup() = group_.get();
  boxesAtStart_ = engine::recordedMessageBoxes().size();
}

void VmTest::TearDown() {
  group_.reset();
  currentGroup() = nullptr;
  xHostAPIManager::resetForTests();
}

vm_script& VmTest::load(const ProgramBuilder& b) {
  // Every program goes through the file writer and reader.
  if (!script::writeAssembledFile(b.s, "program.vkasmb")) ADD_FAILURE() << "write failed";
  thread_ = group_->loadScript("program.vkasmb");
  vm_script* t = group_->getThread(thread_);
  if (t == nullptr) {
    std::string why;
    (void)script::validateAssembledScript(b.s, &why);
    ADD_FAILURE() << "program did not load: " << why;
    static vm_script empty;
    return empty;
  }
  return *t;
}

std::string VmTest::logText() const {
  std::ifstream in("log.txt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int VmTest::errorBoxesWith(const std::string& text) const {
  const auto& boxes = engine::recordedMessageBoxes();
  int count = 0;
  for (std::size_t i = boxesAtStart_; i < boxes.size(); ++i) {
    if (boxes[i].find(text) != std::string::npos) ++count;
  }
  return count;
}

}  // namespace vmtest
