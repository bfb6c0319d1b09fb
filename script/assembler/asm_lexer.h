// Cuts one kept line of an assembly listing into tokens for the assembler.
#pragma once

#include <string>
#include <string_view>

namespace script {

// What a token is. Later rules of the listing format override earlier ones:
// an identifier spelled like a keyword or a mnemonic is that keyword or mnemonic.
enum class AsmTokenKind {
  End,        // end of the line
  Delimiter,  // one of : , [ ] { }
  Integer,
  Float,
  Identifier,
  Keyword,
  Mnemonic,
  String,     // a closed string constant; [text] holds its unescaped bytes
  BadString,  // a double quote without a closed string on its line
  Invalid,    // anything else (stray bytes, bytes above 0x7F, "-" alone...)
};

enum class AsmKeyword { None, Var, SetStackSize, Func, Param, RetVal, SetPriority };

// Names are matched without regard to case, so the lexer leaves them as they
// are written and nothing is copied per token.
struct AsmToken {
  AsmTokenKind kind = AsmTokenKind::End;
  // The lexeme as written, or a string constant's unescaped bytes. Valid
  // while the line and the lexer that read it live.
  std::string_view text;
  char delimiter = 0;
  AsmKeyword keyword = AsmKeyword::None;
  int opcode = -1;  // for Mnemonic
  int column = 0;   // where the token starts in the line, for the error caret
};

// Reads the tokens of one line in order. The line must outlive the lexer.
class AsmLexer {
 public:
  explicit AsmLexer(std::string_view line) : line_(line) {}

  // Consumes and returns the next token; End forever once the line is used up.
  AsmToken next();
  // The next token without consuming it.
  AsmToken peek();
  // Whether the next token is the delimiter [c] (consumed only by next()).
  bool nextIsDelimiter(char c);
  // Column just past the last consumed token (the caret for "x expected").
  int column() const { return static_cast<int>(pos_); }

 private:
  void skipBlanks();
  AsmToken readString(std::size_t start);
  AsmToken readWord(std::size_t start);

  std::string_view line_;
  std::size_t pos_ = 0;
  std::string unescaped_;  // the text of the last string constant that had escapes
};

// True for the bytes that separate tokens and are tokens of their own.
bool isAsmDelimiter(char c);

}  // namespace script
