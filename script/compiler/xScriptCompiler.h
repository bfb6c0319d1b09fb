// The script compiler: a ".vkscript" source with its includes to a ".vkasm" assembly listing.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "script/compiler/compiler_state.h"

namespace script {

// Deeper includes are refused: each level holds a file and a native frame,
// and a chain of files including each other would exhaust the stack.
constexpr int kMaxIncludeDepth = 64;

// What one script reads at most, its includes together: compiling holds
// about 100 bytes for every source byte, and real scripts are tens of KB.
constexpr std::size_t kSourceByteLimit = std::size_t(4) << 20;

}  // namespace script

// One compiler per script load: loadSource, compile, emitAssembly. Errors are
// diagnostics: each is recorded and handed to the diagnostic handler, whose
// policy (error box, log, ending the process) belongs to the caller; see
// script::reportCompilerDiagnostic for the game's.
class xScriptCompiler {
 public:
  using DiagnosticHandler = std::function<void(const script::CompileDiagnostic&)>;

  xScriptCompiler();
  ~xScriptCompiler();
  xScriptCompiler(const xScriptCompiler&) = delete;
  xScriptCompiler& operator=(const xScriptCompiler&) = delete;

  // Reads [fileName] and its includes into a fresh state: 1 on success, 0
  // when the file cannot be opened or is too large (kSourceByteLimit). Files go through the engine's path
  // resolver (any case, backslashes, code page 936 names).
  int loadSource(const std::string& fileName);
  // Takes the source from memory instead (tools and tests); includes in it
  // are read from files as usual.
  void loadText(std::string_view text, const std::string& name);
  // The comment pass, the temporaries, parsing and optimising. False after a
  // parser error (which is the last diagnostic).
  bool compile();
  // Writes the listing to [outputFileName]; false when the file cannot be
  // opened or the compilation failed (no listing is written then). [written],
  // when given, receives the text, so the assembler need not read it back.
  bool emitAssembly(const std::string& outputFileName, std::string* written = nullptr);

  // Reads one file, following includes: 2 when read to its end, 1 when it
  // could not be opened. A file is read once however its name is spelled,
  // and includes nest at most kMaxIncludeDepth deep.
  int preprocessFile(const std::string& fileName);
  // For a line beginning with '#': 1 for "include", 2 for "define", else 0.
  static int directiveOf(std::string_view line);

  void setDiagnosticHandler(DiagnosticHandler handler) { handler_ = std::move(handler); }
  const std::vector<script::CompileDiagnostic>& diagnostics() const { return diagnostics_; }
  // Whether a reported problem leaves the script wrong or incomplete: any
  // diagnostic but the notice of a file included twice.
  bool hasErrors() const;
  // Tests compile with and without the optimiser; it is on by default.
  void setOptimise(bool on) { optimise_ = on; }
  // The listing text, with [time] in its header.
  std::string listingText(const std::string& outputFileName, const std::string& time) const;
  const xCompilerState& state() const { return *state_; }

 private:
  void resetState(const std::string& fileName);
  void readText(std::string_view text, const std::string& file);
  void readLine(std::string line, script::LineOrigin origin);
  void readInclude(const std::string& line);
  void report(script::CompileDiagnostic diagnostic);
  void fatal(const std::string& text, bool stopsLoad = true);

  std::string sourceFileName_;
  std::unordered_set<std::string> filesRead_;  // folded names
  int filesOpen_ = 0;
  std::size_t sourceBytesLeft_ = script::kSourceByteLimit;
  std::size_t fatalReports_ = 0;
  bool unreportedError_ = false;
  std::string outputFileName_;
  std::string sourceName_;
  std::unique_ptr<xCompilerState> state_;
  DiagnosticHandler handler_;
  std::vector<script::CompileDiagnostic> diagnostics_;
  bool optimise_ = true;
};

namespace script {

// Erases comments in place ("//" to the line's end, "/*" up to a "*/" at the
// start of a later line, a whole line holding both) and then drops the lines
// that became empty, and their [origins] when given.
void removeComments(std::vector<std::string>& lines, std::vector<LineOrigin>* origins = nullptr);

// The game's policy: lexer and file errors are logged and shown and loading
// goes on; a parser error is logged, shown, and ends the process with a
// non-zero status.
void reportCompilerDiagnostic(const CompileDiagnostic& diagnostic);

}  // namespace script
