// Test helpers: compiling from memory and running compiled scripts on the runtime.
#include "tests/script/compiler/compiler_fixture.h"

#include <cstdio>
#include <sstream>

#include "script/runtime/number_text.h"
#include "script/runtime/xHostAPIManager.h"
#include "script/assembler/xScriptAssembler.h"

namespace compiler_test {

namespace {

constexpr script::GroupId kGroup{0};
vm* gGroup = nullptr;

void hostA(script::ThreadIndex thread, script::GroupId) { gGroup->returnIntFromHost(thread, 0, 10); }
void hostB(script::ThreadIndex thread, script::GroupId) { gGroup->returnIntFromHost(thread, 0, 20); }
void hostName(script::ThreadIndex thread, script::GroupId) { gGroup->returnStringFromHost(thread, 0, "bob"); }
// Arguments are read last-pushed first.
void hostAdd(script::ThreadIndex thread, script::GroupId) {
  std::int32_t b = gGroup->getParamAsInt(thread, 0);
  std::int32_t a = gGroup->getParamAsInt(thread, 1);
  gGroup->returnIntFromHost(thread, 2, std::int32_t(std::uint32_t(a) + std::uint32_t(b)));
}
void hostEcho(script::ThreadIndex thread, script::GroupId) {
  std::string text = gGroup->getParamAsString(thread, 0);
  gGroup->returnStringFromHost(thread, 1, text.c_str());
}

}  // namespace

Compiled compileText(const std::string& source, bool optimise) {
  Compiled result;
  result.compiler = std::make_unique<xScriptCompiler>();
  result.compiler->setOptimise(optimise);
  result.compiler->loadText(source, "test.vkscript");
  result.ok = result.compiler->compile();
  if (result.ok) result.listing = result.compiler->listingText("test.vkasm", "TIME");
  result.diagnostics = result.compiler->diagnostics();
  return result;
}

std::string parserError(const Compiled& compiled) {
  for (auto it = compiled.diagnostics.rbegin(); it != compiled.diagnostics.rend(); ++it) {
    if (it->kind == script::DiagnosticKind::Parser) return it->message;
  }
  return "";
}

std::vector<std::string> instructionsOf(const std::string& listing, const std::string& name) {
  std::vector<std::string> out;
  std::istringstream in(listing);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line == "\tFunc " + name) inside = true;
    if (!inside) continue;
    if (line == "\t}") break;
    if (line.rfind("\t\t", 0) != 0 || line.size() < 3 || line[2] == ';') continue;
    std::string text = line.substr(2);
    if (text.rfind("Var ", 0) == 0 || text.rfind("Param ", 0) == 0) continue;
    std::size_t tab = text.find('\t');
    if (tab != std::string::npos) {
      std::size_t rest = text.find_first_not_of('\t', tab);
      text = text.substr(0, tab) + " " + text.substr(rest);
    }
    out.push_back(text);
  }
  return out;
}

Runner::Runner() {
  xHostAPIManager::resetForTests();
  xHostAPIManager* api = xHostAPIManager::getInstance();
  api->addFunc("htA", hostA);
  api->addFunc("htB", hostB);
  api->addFunc("htName", hostName);
  api->addFunc("htAdd", hostAdd);
  api->addFunc("htEcho", hostEcho);
  group_.reset(new vm(kGroup));
  gGroup = group_.get();
}

Runner::~Runner() {
  gGroup = nullptr;
  group_.reset();
  xHostAPIManager::resetForTests();
}

bool Runner::run(const std::string& source, bool optimise, const std::string& function) {
  compiled_ = compileText(source, optimise);
  if (!compiled_.ok) {
    ADD_FAILURE() << "compile failed: " << parserError(compiled_);
    return false;
  }
  xScriptAssembler assembler;
  assembler.loadText(compiled_.listing, "test.vkasm");
  script::AsmResult result = assembler.assembleChecked();
  if (!result.ok) {
    ADD_FAILURE() << "assembly failed: " << result.message << " at line " << result.line << "\n"
                  << compiled_.listing;
    return false;
  }
  if (!assembler.writeBinary("test.vkasmb")) {
    ADD_FAILURE() << "cannot write the assembled file";
    return false;
  }
  thread_ = group_->loadScript("test.vkasmb");
  if (thread_ == script::kNoThread || !group_->callFunc(thread_, function)) {
    ADD_FAILURE() << "load or call failed";
    return false;
  }
  return true;
}

std::string Runner::global(const std::string& name, int index) const {
  // Globals take cells in listing order: variables first, then struct variables.
  int cell = 0;
  std::vector<const script::SymbolRecord*> order;
  for (auto kind : {script::SymbolKind::Variable, script::SymbolKind::StructVariable}) {
    for (const script::SymbolRecord& symbol : compiled_.compiler->state().tables.symbols()) {
      if (symbol.scope == script::kGlobalScope && symbol.kind == kind) order.push_back(&symbol);
    }
  }
  for (const script::SymbolRecord* symbolPtr : order) {
    const script::SymbolRecord& symbol = *symbolPtr;
    if (symbol.name == name) {
      const vm_value& value = group_->getThread(thread_)->cellAt(cell + index);
      switch (value.type) {
        case OP_TYPE_INT: return "i:" + script::intToText(value.intValue);
        case OP_TYPE_FLOAT: {
          char text[32];
          std::snprintf(text, sizeof text, "%.9g", double(value.floatValue));
          return std::string("f:") + text;
        }
        case OP_TYPE_STRING: return "s:" + value.text;
        default: return "null";
      }
    }
    cell += symbol.size;
  }
  return "no such global";
}

}  // namespace compiler_test
