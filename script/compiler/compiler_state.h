// Everything one compilation needs, and the diagnostics the compiler reports.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "script/compiler/compiler_tables.h"
#include "script/compiler/lexer.h"

namespace script {

// What a diagnostic is; the caller's policy decides what each kind does.
enum class DiagnosticKind {
  Lexer,   // an unexpected character; compilation goes on
  Fatal,   // a file that cannot be opened or a malformed include; "Compiler Fatal Error"
  Parser,  // ends the compilation; no listing is written
};

struct CompileDiagnostic {
  DiagnosticKind kind = DiagnosticKind::Parser;
  std::string message;     // Parser and Fatal: the text; Lexer: empty
  char character = 0;      // Lexer: the unexpected character
  int line = 0;            // the lexer's line index (counts the kept lines from 0)
  int column = 0;          // the offending token's start column
  std::string token;       // the offending token's text
  std::string lineText;    // the current source line as it stands, at most kMaxQuotedLine bytes
  // Parser and Lexer: where the author finds the line: the file it was read
  // from (empty when unknown) and its line there, from 1, blank and comment
  // lines counted.
  std::string file;
  int fileLine = 0;
  // False for a notice after which nothing is missing (a file included
  // twice is read once): the script may still be loaded.
  bool stopsLoad = true;
};

// The most of a source line a diagnostic keeps: the log and the error box
// format their messages into 10240 bytes, so nothing shown is lost.
constexpr std::size_t kMaxQuotedLine = 10240;

// Thrown inside the parser and the optimiser; compile() catches it.
struct ParseError : std::exception {
  explicit ParseError(CompileDiagnostic d) : diagnostic(std::move(d)) {}
  const char* what() const noexcept override { return diagnostic.message.c_str(); }
  CompileDiagnostic diagnostic;
};

// Where a kept source line came from: an index into the files read and the
// line's number in that file, from 1.
struct LineOrigin {
  std::int32_t file = 0;
  std::int32_t line = 0;
};

// A loop (kind 1 while, 2 for) or a condition being parsed (kind 0 if, 1 loop).
struct JumpRecord {
  std::int32_t first = 0;
  std::int32_t second = 0;
  std::int32_t kind = 0;
};

// The stack size every listing declares; nothing in the language sets it.
constexpr std::int32_t kStackSize = 1024;

}  // namespace script

// The state of one compilation, made fresh by every loadSource.
struct xCompilerState {
  std::vector<std::string> lines;  // source lines after includes and the comment pass
  std::vector<script::LineOrigin> origins;  // one for each line
  std::vector<std::string> files;  // the files the lines were read from, in reading order
  std::vector<script::JumpRecord> blockStack;
  std::vector<script::JumpRecord> conditionStack;
  std::int32_t temp1 = 1, temp0 = 0, temp2 = 2;
  script::CompilerTables tables;
  std::int32_t stackSize = script::kStackSize;
  bool hasMain = false;
  std::int32_t mainIndex = -1;
  std::int32_t priorityKind = -1;  // -1: not set (never set by the language)
  std::int32_t priorityValue = 0;
  xScriptLexer lexer;
  bool success = false;
  std::int32_t currentFunction = -1;  // -1 in global scope
  bool optimise = true;  // tests compare programs compiled with and without it
};

namespace script {

// Fills [d]'s file and file line for the kept line [lineIndex]; past the
// last line, the last line's.
void locate(const xCompilerState& state, int lineIndex, CompileDiagnostic& d);

// Ends the compilation with the parser error [message] at the lexer's
// current token (the parser's and the optimiser's errors): the success flag
// is cleared and a ParseError carrying the diagnostic is thrown.
[[noreturn]] void failAtToken(xCompilerState& state, const std::string& message);

}  // namespace script
