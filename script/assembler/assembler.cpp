// The assembler's driver: kept lines, the two passes, error reports, table lookups and writing.
#include <algorithm>
#include <cstring>

#include "base/xLogFile.h"
#include "engine/platform.h"
#include "script/runtime/opcodes.h"
#include "script/assembler/xScriptAssembler.h"

using script::AsmResult;
using script::AsmToken;
using script::AsmTokenKind;

// The listing format gives the mnemonic lookup room for 256 entries.
static_assert(script::kOpCount <= 256);

namespace script {

// One pass over the bytes: most lines of a listing are notes (comments) or
// blank, and those are passed over at the first byte that is not a blank.
std::vector<std::string_view> keptListingLines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(text.size() / 32);
  const char* p = text.data();
  const char* end = p + text.size();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (p < end) {
    const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (eol == nullptr) eol = end;
    while (p < eol && blank(*p)) ++p;
    if (p < eol && *p != ';') {
      const char* cut = static_cast<const char*>(std::memchr(p, ';', static_cast<std::size_t>(eol - p)));
      const char* last = cut != nullptr ? cut : eol;
      while (last > p && blank(last[-1])) --last;
      lines.emplace_back(p, static_cast<std::size_t>(last - p));
    }
    p = eol + 1;
  }
  return lines;
}

AsmResult assembleText(std::string_view listing, AssembledScript* out) {
  xScriptAssembler assembler;
  assembler.loadText(std::string(listing), "listing");
  AsmResult result = assembler.assembleChecked();
  if (result.ok && out != nullptr) *out = assembler.output();
  return result;
}

}  // namespace script

xScriptAssembler::xScriptAssembler() = default;
xScriptAssembler::~xScriptAssembler() = default;

bool xScriptAssembler::loadSource(const std::string& fileName) {
  std::vector<unsigned char> bytes;
  if (!engine::readFile(fileName, bytes)) return false;
  loadText(std::string(bytes.begin(), bytes.end()), fileName);
  return true;
}

void xScriptAssembler::loadText(std::string text, const std::string& name) {
  name_ = name;
  text_ = std::move(text);
  lines_ = script::keptListingLines(text_);
  assembled_ = false;
}

void xScriptAssembler::reset() {
  lineIndex_ = 0;
  lexer_ = script::AsmLexer(std::string_view());
  currentFunc_ = -1;
  paramCounter_ = 0;
  instrCount_ = 0;
  stackSize_ = 0;
  stackSizeSet_ = false;
  stackSizeLine_ = -1;
  globalSize_ = 0;
  priorityKind_ = script::kPriorityLow;
  priorityValue_ = 0;
  prioritySet_ = false;
  hasMain_ = false;
  mainIndex_ = 0;
  strings_.clear();
  stringIndex_.clear();
  funcs_.clear();
  funcIndex_.clear();
  symbols_.clear();
  symbolIndex_.clear();
  labels_.clear();
  instrs_.clear();
  error_ = AsmResult();
  assembled_ = false;
  out_ = script::AssembledScript();
}

AsmResult xScriptAssembler::assembleChecked() {
  reset();
  if (!pass1() || !pass2()) return error_;
  buildOutput();
  assembled_ = true;
  AsmResult result;
  result.ok = true;
  return result;
}

bool xScriptAssembler::assemble() {
  AsmResult result = assembleChecked();
  if (!result.ok) reportError();
  return result.ok;
}

bool xScriptAssembler::writeBinary(const std::string& fileName) {
  if (!assembled_) return false;
  return script::writeAssembledFile(out_, fileName);
}

void xScriptAssembler::buildOutput() {
  out_.stackSize = stackSize_;
  out_.globalSize = static_cast<std::uint32_t>(globalSize_);
  out_.priorityKind = priorityKind_;
  out_.priorityValue = priorityValue_;
  out_.hasMain = hasMain_;
  out_.mainIndex = hasMain_ ? static_cast<std::uint32_t>(mainIndex_) : 0;
  out_.instrs = std::move(instrs_);
  out_.strings = strings_;
  for (const script::AsmFunc& f : funcs_) {
    out_.funcs.push_back({static_cast<std::uint32_t>(f.entry), static_cast<std::uint8_t>(f.paramCount),
                          static_cast<std::uint32_t>(f.localSize), f.name});
  }
}

// The log gets the message, the line and a caret under the error column; the
// box names the listing and shows the line.
void xScriptAssembler::reportError() const {
  bool hasLine = error_.line >= 0 && static_cast<std::size_t>(error_.line) < lines_.size();
  std::string text = hasLine ? std::string(lines_[static_cast<std::size_t>(error_.line)]) : std::string();
  std::string shown = text;
  for (char& c : shown) {
    if (c == '\t') c = ' ';
  }
  std::string blanks(static_cast<std::size_t>(std::max(error_.column, 0)), ' ');
  WriteLog("Error: %s.\n\nLine %d\n%s\n%s^\n", error_.message.c_str(), error_.line, shown.c_str(),
           blanks.c_str());
  ShowErrorBox("Could not assemble script %s.\nScript Line: %s\n", name_.c_str(), text.c_str());
}

bool xScriptAssembler::fail(std::string message, int column) {
  error_.message = std::move(message);
  error_.line = static_cast<int>(lineIndex_);
  error_.column = column;
  return false;
}

bool xScriptAssembler::failAt(std::string message, const AsmToken& token) {
  return fail(std::move(message), token.column);
}

void xScriptAssembler::startLine(std::size_t index) {
  lineIndex_ = index;
  lexer_ = script::AsmLexer(lines_[index]);
}

bool xScriptAssembler::expectEnd() {
  AsmToken token = lexer_.next();
  if (token.kind != AsmTokenKind::End) return failAt("Invalid source input", token);
  return true;
}

// brace -> '{' , on the FUNC line or alone on the next kept line
bool xScriptAssembler::expectOpenBrace() {
  AsmToken token = lexer_.next();
  if (token.kind == AsmTokenKind::End) {
    if (lineIndex_ + 1 >= lines_.size()) return fail("'{' expected", lexer_.column());
    startLine(lineIndex_ + 1);
    token = lexer_.next();
  }
  if (token.kind != AsmTokenKind::Delimiter || token.delimiter != '{') {
    return failAt("'{' expected", token);
  }
  return expectEnd();
}

// name -> identifier ; bytes outside ASCII make it an invalid input, not a name
bool xScriptAssembler::readName(AsmToken& name) {
  name = lexer_.next();
  if (name.kind == AsmTokenKind::Identifier) return true;
  for (char c : name.text) {
    if (static_cast<unsigned char>(c) > 0x7F) return failAt("Invalid source input", name);
  }
  return failAt("Identifier expected", name);
}

int xScriptAssembler::addString(std::string_view text) {
  if (auto it = stringIndex_.find(text); it != stringIndex_.end()) return it->second;
  int index = static_cast<int>(strings_.size());
  strings_.emplace_back(text);
  stringIndex_.emplace(strings_.back(), index);
  return index;
}

// The first symbol of that name in declaration order that is a global or
// belongs to the current function; -1 when there is none.
int xScriptAssembler::findSymbol(std::string_view name) const {
  return symbolIndex_.findVisible(name, currentFunc_);
}

// A global's name may not be taken by any symbol; a local's or parameter's
// only not by one of the same function.
bool xScriptAssembler::nameTaken(std::string_view name) const {
  if (currentFunc_ < 0) return symbolIndex_.used(name);
  return symbolIndex_.findIn(name, currentFunc_) != script::ScopedNameIndex::kNone;
}

int xScriptAssembler::findLabel(std::string_view name) const { return labels_.findIn(name, currentFunc_); }

int xScriptAssembler::findFunc(std::string_view name) const {
  auto it = funcIndex_.find(name);
  return it == funcIndex_.end() ? -1 : it->second;
}
