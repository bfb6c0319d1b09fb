// The assembler: turns an assembly listing (".vkasm") into an assembled script file (".vkasmb").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "script/assembler/asm_lexer.h"
#include "script/runtime/bytecode_file.h"
#include "script/runtime/name_index.h"

namespace script {

// The outcome of an assembly: ok, or the first error. [line] counts the kept
// (non-blank) lines from 0; [column] is where the caret goes in that line.
struct AsmResult {
  bool ok = false;
  std::string message;  // empty when ok
  int line = -1;
  int column = 0;
};

// One variable or parameter. [func] is the owning function, -1 for a global.
struct AsmSymbol {
  std::string name;
  int size = 1;
  int stackIndex = 0;
  int func = -1;
};

struct AsmFunc {
  std::string name;  // upper case
  int entry = 0;
  int paramCount = 0;
  int localSize = 0;
};

// Splits listing text into the lines the assembler keeps: each cut at its
// first ';', a trailing '\r' dropped, trimmed of spaces and tabs, and dropped
// when nothing is left. The lines are views into [text].
std::vector<std::string_view> keptListingLines(std::string_view text);

// Assembles [listing] without the log or the error box; on success [out],
// when given, receives the assembled script.
AsmResult assembleText(std::string_view listing, AssembledScript* out = nullptr);

}  // namespace script

// Reads a listing, resolves its names in two passes and writes the assembled
// file. One instance assembles one listing. Assembly stops at the first error;
// after a failed assembly nothing can be written.
class xScriptAssembler {
 public:
  xScriptAssembler();
  ~xScriptAssembler();
  xScriptAssembler(const xScriptAssembler&) = delete;
  xScriptAssembler& operator=(const xScriptAssembler&) = delete;

  // Reads the listing file [fileName], which also becomes the script's name.
  // False when the file cannot be opened.
  [[nodiscard]] bool loadSource(const std::string& fileName);
  // Takes the listing from memory instead: the text the compiler has just
  // written, tools and tests.
  void loadText(std::string text, const std::string& name);

  // Both passes. On an error the log gets the message, the line and a caret,
  // the error box names the script and the line, and the result is false.
  [[nodiscard]] bool assemble();
  // Both passes without the log or the box.
  script::AsmResult assembleChecked();

  // Writes the assembled file; false when the last assembly did not succeed
  // or the file cannot be opened (the writer shows its own box for that).
  [[nodiscard]] bool writeBinary(const std::string& fileName);

  // The result of a successful assembly.
  const script::AssembledScript& output() const { return out_; }
  script::AssembledScript takeOutput() { return std::move(out_); }

 private:
  // Driver (assembler.cpp).
  void reset();
  [[nodiscard]] bool fail(std::string message, int column);
  [[nodiscard]] bool failAt(std::string message, const script::AsmToken& token);
  [[nodiscard]] bool expectEnd();
  [[nodiscard]] bool expectOpenBrace();
  [[nodiscard]] bool readName(script::AsmToken& name);
  void startLine(std::size_t index);
  void reportError() const;
  int addString(std::string_view text);
  int findSymbol(std::string_view name) const;
  bool nameTaken(std::string_view name) const;
  int findLabel(std::string_view name) const;
  int findFunc(std::string_view name) const;

  // Pass 1 (asm_pass1.cpp): declarations, labels and instruction counting.
  [[nodiscard]] bool pass1();
  [[nodiscard]] bool pass1Line();
  [[nodiscard]] bool declareLabel(const script::AsmToken& name);
  [[nodiscard]] bool closeFunc1(const script::AsmToken& brace);
  [[nodiscard]] bool setStackSize(const script::AsmToken& keyword);
  [[nodiscard]] bool setPriority(const script::AsmToken& keyword);
  [[nodiscard]] bool declareVar();
  [[nodiscard]] bool readArraySize(int& size);
  [[nodiscard]] bool placeVar(const script::AsmToken& name, int size);
  [[nodiscard]] bool openFunc1(const script::AsmToken& keyword);
  [[nodiscard]] bool countParam(const script::AsmToken& keyword);
  [[nodiscard]] bool checkStackFits();

  // Pass 2 (asm_pass2.cpp): the instruction stream.
  [[nodiscard]] bool pass2();
  [[nodiscard]] bool pass2Line();
  [[nodiscard]] bool openFunc2();
  void buildOutput();
  [[nodiscard]] bool declareParam();
  [[nodiscard]] bool emitInstr(int opcode);
  void emitClosing();
  [[nodiscard]] bool readOperand(std::uint8_t kinds, script::FileOperand& out);
  [[nodiscard]] bool readStringOperand(const script::AsmToken& token, script::FileOperand& out);
  [[nodiscard]] bool readIdentOperand(std::uint8_t kinds, const script::AsmToken& token,
                                      script::FileOperand& out);
  [[nodiscard]] bool readMemoryOperand(const script::AsmToken& token, script::FileOperand& out);
  [[nodiscard]] bool readElement(const script::AsmSymbol& array, script::FileOperand& out);

  // Source.
  std::string name_;
  std::string text_;
  std::vector<std::string_view> lines_;  // into text_

  // Where the passes are.
  std::size_t lineIndex_ = 0;
  script::AsmLexer lexer_{std::string_view()};
  int currentFunc_ = -1;
  int paramCounter_ = 0;
  int instrCount_ = 0;  // pass 1: instructions counted so far

  // Header values.
  std::uint32_t stackSize_ = 0;
  bool stackSizeSet_ = false;
  int stackSizeLine_ = -1;
  int globalSize_ = 0;
  std::uint8_t priorityKind_ = script::kPriorityLow;
  std::uint32_t priorityValue_ = 0;
  bool prioritySet_ = false;
  bool hasMain_ = false;
  int mainIndex_ = 0;

  // Tables. The maps index the vectors; symbol indices count declarations.
  std::vector<std::string> strings_;
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, int, TextHash, std::equal_to<>> stringIndex_;  // exact text
  std::vector<script::AsmFunc> funcs_;
  script::NameMap<int> funcIndex_;
  std::vector<script::AsmSymbol> symbols_;
  script::ScopedNameIndex symbolIndex_;
  script::ScopedNameIndex labels_;  // (function, name) -> instruction index
  std::vector<script::FileInstr> instrs_;

  script::AsmResult error_;
  bool assembled_ = false;
  script::AssembledScript out_;
};
