// The game's policy for compiler diagnostics: the log, the error box, and the end of the process on a parser error.
#include <algorithm>
#include <cstdlib>

#include "base/xLogFile.h"
#include "script/compiler/xScriptCompiler.h"

namespace script {

namespace {

// The line for the error box: tabs and new-line characters removed.
std::string withoutTabs(const std::string& line) {
  std::string out;
  for (char c : line) {
    if (c != '\t' && c != '\n') out += c;
  }
  return out;
}

std::string tabsAsBlanks(std::string line) {
  for (char& c : line) {
    if (c == '\t') c = ' ';
  }
  return line;
}

}  // namespace

void reportCompilerDiagnostic(const CompileDiagnostic& d) {
  switch (d.kind) {
    case DiagnosticKind::Lexer:
      WriteLog("Lexer Error: '%c' unexpected.\nCodeLine: %s", d.character, d.lineText.c_str());
      if (!d.file.empty()) WriteLog("%s:%d: '%c' unexpected", d.file.c_str(), d.fileLine, d.character);
      ShowErrorBox("Lexer Error: '%c' unexpected.\nScript Index: %d\nScript Line: %s\n", d.character, d.line,
                   withoutTabs(d.lineText).c_str());
      return;
    case DiagnosticKind::Fatal:
      ShowErrorBox("Compiler Fatal Error: %s.\n", d.message.c_str());
      return;
    case DiagnosticKind::Parser:
      WriteLog("Error: %s.\n", d.message.c_str());
      WriteLog("Line %d\n", d.line);
      WriteLog("%s\n", tabsAsBlanks(d.lineText).c_str());
      WriteLog("%s^\n", std::string(std::size_t(std::max(d.column, 0)), ' ').c_str());
      if (!d.file.empty()) WriteLog("%s:%d: %s", d.file.c_str(), d.fileLine, d.message.c_str());
      ShowErrorBox("Script Parser Error: %s\nScript Line: %d\nToken: %s\nScript Line: %s\n", d.message.c_str(),
                   d.line, d.token.c_str(), withoutTabs(d.lineText).c_str());
      std::exit(EXIT_FAILURE);
  }
}

}  // namespace script
