// The compiler driver: reading sources with includes, the comment pass, and the order of the phases.
#include "script/compiler/xScriptCompiler.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "base/xLogFile.h"
#include "engine/platform.h"
#include "script/runtime/file_write.h"
#include "script/compiler/listing_writer.h"
#include "script/compiler/parser.h"

using script::CompileDiagnostic;
using script::DiagnosticKind;

namespace {

// Lexer errors, and file errors, after this many of the kind in one
// compilation are not reported: each one would be another error box, and
// garbage input can hold thousands.
constexpr std::size_t kMaxReports = 100;

// A file's name as the include check compares it: as the resolver reads it
// (code page 936 as UTF-8, backslashes as slashes) with "." and ".." folded
// as written; case kept.
std::string includeKey(const std::string& name) {
  bool ok = false;
  std::string path = engine::cp936ToUtf8(name, &ok);
  if (!ok) path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
  return std::filesystem::path(path).lexically_normal().string();
}

}  // namespace

namespace script {

namespace {

bool startsAt(const std::string& line, std::size_t pos, const char* mark) {
  return pos + 1 < line.size() && line[pos] == mark[0] && line[pos + 1] == mark[1];
}

}  // namespace

// Quotes toggle the in-string flag outside block comments (there is no
// escape). Only a "*/" in a line's first column ends a block comment begun
// on an earlier line, and the character after it is not examined.
void removeComments(std::vector<std::string>& lines, std::vector<LineOrigin>* origins) {
  bool inString = false;
  bool inBlock = false;
  for (std::string& line : lines) {
    std::size_t pos = 0;
    while (pos < line.size()) {
      if (line[pos] == '"' && !inBlock) inString = !inString;
      if (!inString && !inBlock && startsAt(line, pos, "//")) {
        line.erase(pos);
        break;
      }
      if (!inString && !inBlock && startsAt(line, pos, "/*")) {
        if (line.find("*/") != std::string::npos) {
          line.clear();
        } else {
          inBlock = true;
          line.erase(pos);
        }
        break;
      }
      if (startsAt(line, pos, "*/")) {
        if (inBlock) {
          line.erase(pos, 2);
          inBlock = false;
        } else {
          ++pos;
        }
        ++pos;
        continue;
      }
      if (inBlock) {
        line.erase(pos);
        break;
      }
      ++pos;
    }
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    if (kept != i) {
      lines[kept] = std::move(lines[i]);
      if (origins != nullptr) (*origins)[kept] = (*origins)[i];
    }
    ++kept;
  }
  lines.resize(kept);
  if (origins != nullptr) origins->resize(kept);
}

void locate(const xCompilerState& state, int lineIndex, CompileDiagnostic& d) {
  if (state.origins.empty()) {
    if (!state.files.empty()) d.file = state.files.front();
    d.fileLine = 1;
    return;
  }
  std::size_t i = std::min(std::size_t(std::max(lineIndex, 0)), state.origins.size() - 1);
  d.file = state.files[std::size_t(state.origins[i].file)];
  d.fileLine = state.origins[i].line;
}

}  // namespace script

xScriptCompiler::xScriptCompiler() : state_(std::make_unique<xCompilerState>()) {}

xScriptCompiler::~xScriptCompiler() = default;

void xScriptCompiler::resetState(const std::string& fileName) {
  sourceFileName_ = fileName;
  filesRead_.clear();
  filesOpen_ = 0;
  sourceBytesLeft_ = script::kSourceByteLimit;
  fatalReports_ = 0;
  unreportedError_ = false;
  diagnostics_.clear();
  state_ = std::make_unique<xCompilerState>();
}

int xScriptCompiler::loadSource(const std::string& fileName) {
  resetState(fileName);
  if (preprocessFile(fileName) != 2) return 0;
  sourceName_ = fileName;
  return 1;
}

void xScriptCompiler::loadText(std::string_view text, const std::string& name) {
  resetState(name);
  filesRead_.insert(includeKey(name));
  sourceBytesLeft_ -= std::min(text.size(), sourceBytesLeft_);
  readText(text, name);
  sourceName_ = name;
}

// Files are opened through the engine's path resolver, like every file of
// the game; only a regular file is read, within what the script may still
// read (kSourceByteLimit, includes together). A missing file is
// the common case and keeps the plain message; other reasons are named.
int xScriptCompiler::preprocessFile(const std::string& fileName) {
  std::vector<unsigned char> bytes;
  int error = 0;
  if (!engine::readFile(fileName, bytes, &error, sourceBytesLeft_)) {
    fatal("Cannot open file: " +
          (error == ENOENT ? fileName : script::fileAndReason(fileName, engine::fileErrorText(error))));
    return 1;
  }
  filesRead_.insert(includeKey(fileName));
  sourceBytesLeft_ -= bytes.size();
  readText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), fileName);
  return 2;
}

void xScriptCompiler::readText(std::string_view text, const std::string& file) {
  ++filesOpen_;
  state_->files.push_back(file);
  script::LineOrigin origin{std::int32_t(state_->files.size() - 1), 0};
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++origin.line;
    readLine(std::string(text.substr(start, end - start)), origin);
    start = end + 1;
  }
  --filesOpen_;
}

// Lines carry no line-end characters; empty lines are skipped.
void xScriptCompiler::readLine(std::string line, script::LineOrigin origin) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty()) return;
  if (line[0] == '#' && directiveOf(line) == 1) return readInclude(line);
  state_->lines.push_back(std::move(line));
  state_->origins.push_back(origin);
}

// include -> '#include' blank '"' name '"' ; a file is never read twice. A
// missing quote is reported and the name is still taken: without the
// opening quote it starts right after the blank, without the closing one
// it runs to the line's end.
void xScriptCompiler::readInclude(const std::string& line) {
  const std::string malformed = std::string("\" expected\nCodeLine: ") + line;
  std::size_t blank = line.find_first_of(" \t");
  std::string name = blank == std::string::npos ? std::string() : line.substr(blank + 1);
  if (!name.empty() && name[0] == '"') name.erase(0, 1);
  else fatal(malformed);
  std::size_t close = name.find('"');
  if (close != std::string::npos) name.resize(close);
  else fatal(malformed);
  if (filesRead_.contains(includeKey(name))) return fatal("Duplicate include file: " + name, false);
  if (filesOpen_ > script::kMaxIncludeDepth) return fatal("Include nesting too deep: " + name);
  preprocessFile(name);
}

int xScriptCompiler::directiveOf(std::string_view line) {
  if (line.empty() || line[0] != '#') return 0;
  std::string_view word = line.substr(1, line.find_first_of(" \t") - 1);
  if (word == "include") return 1;
  if (word == "define") return 2;
  return 0;
}

bool xScriptCompiler::compile() {
  script::CompilerTables& tables = state_->tables;
  state_->temp0 = tables.addSymbol("_T0", 1, script::kGlobalScope, script::SymbolKind::Variable);
  state_->temp1 = tables.addSymbol("_T1", 1, script::kGlobalScope, script::SymbolKind::Variable);
  state_->temp2 = tables.addSymbol("_T2", 1, script::kGlobalScope, script::SymbolKind::Variable);
  script::removeComments(state_->lines, &state_->origins);
  state_->optimise = optimise_;
  std::size_t lexerErrors = 0;
  state_->lexer.setErrorHandler([this, lexerErrors](char c, int line, std::string_view text) mutable {
    if (++lexerErrors > kMaxReports) return;
    CompileDiagnostic d;
    d.kind = DiagnosticKind::Lexer;
    d.character = c;
    d.line = line;
    d.lineText = text.substr(0, script::kMaxQuotedLine);
    script::locate(*state_, line, d);
    report(std::move(d));
  });
  try {
    return script::Parser(*state_).parse();
  } catch (const script::ParseError& e) {
    state_->success = false;
    report(e.diagnostic);
    return false;
  }
}

std::string xScriptCompiler::listingText(const std::string& outputFileName, const std::string& time) const {
  return script::writeListing(*state_, {outputFileName, sourceName_, time});
}

bool xScriptCompiler::emitAssembly(const std::string& outputFileName, std::string* written) {
  outputFileName_ = outputFileName;
  if (!state_->success) return false;
  std::string reason;
  std::string text = listingText(outputFileName, GetCurrentTimeString());
  script::WriteStatus status = script::writeWholeFile(outputFileName, text, reason);
  if (status == script::WriteStatus::Ok) {
    if (written != nullptr) *written = std::move(text);
    return true;
  }
  fatal((status == script::WriteStatus::CannotOpen ? "Could not open output file for output: "
                                                   : "Could not write output file: ") +
        script::fileAndReason(outputFileName, reason));
  return false;
}

void xScriptCompiler::report(CompileDiagnostic diagnostic) {
  diagnostics_.push_back(diagnostic);
  if (handler_) handler_(diagnostics_.back());
}

void xScriptCompiler::fatal(const std::string& text, bool stopsLoad) {
  if (++fatalReports_ > kMaxReports) {
    unreportedError_ = unreportedError_ || stopsLoad;
    return;
  }
  CompileDiagnostic d;
  d.kind = DiagnosticKind::Fatal;
  d.message = text;
  d.stopsLoad = stopsLoad;
  report(std::move(d));
}

bool xScriptCompiler::hasErrors() const {
  return unreportedError_ || std::any_of(diagnostics_.begin(), diagnostics_.end(),
                                         [](const CompileDiagnostic& d) { return d.stopsLoad; });
}
