// The script lexer: cuts the compiler's source lines into tokens, one per call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace script {

// Token kinds. The numbers are the language's own token codes (messages and
// tests use them); keep them as they are.
enum class TokenKind : int {
  End = -1,  // end of input, or a string that runs into it
  Integer = 1,
  Float = 2,
  Identifier = 3,
  Var = 4,
  True = 5,
  False = 6,
  If = 7,
  Else = 8,
  Break = 9,
  Continue = 10,
  For = 11,
  While = 12,
  Func = 13,
  Return = 14,
  Host = 15,
  Operator = 16,
  Comma = 17,
  OpenParen = 18,
  CloseParen = 19,
  OpenBracket = 20,
  CloseBracket = 21,
  OpenBrace = 22,
  CloseBrace = 23,
  Semicolon = 24,
  Hash = 25,
  String = 26,
  Print = 27,
  Define = 28,
  Include = 29,
  Dot = 30,
  Struct = 31,
};

// Operator indices of operator tokens.
enum OperatorIndex : int {
  kOpAdd = 0, kOpSub = 1, kOpMul = 2, kOpDiv = 3, kOpMod = 4, kOpExp = 5,
  kOpAnd = 6, kOpOr = 7, kOpXor = 8, kOpNot = 9, kOpLogicalNot = 10, kOpAssign = 11,
  kOpLess = 12, kOpGreater = 13, kOpAddAssign = 14, kOpIncrement = 15,
  kOpSubAssign = 16, kOpDecrement = 17, kOpMulAssign = 18, kOpDivAssign = 19,
  kOpModAssign = 20, kOpExpAssign = 21, kOpAndAssign = 22, kOpLogicalAnd = 23,
  kOpOrAssign = 24, kOpLogicalOr = 25, kOpXorAssign = 26, kOpNotEqual = 27,
  kOpEqual = 28, kOpLessEqual = 29, kOpShiftLeft = 30, kOpGreaterEqual = 31,
  kOpShiftRight = 32, kOpShlAssign = 33, kOpShrAssign = 34, kOpConcat = 35,
};

// The longest token is 1023 characters: the token text is a fixed buffer
// with a terminating zero, and the lexer refuses to grow it further.
constexpr int kTokenBufferSize = 1024;

}  // namespace script

// Reads the source lines as one glued stream of characters. Keywords match
// without regard to ASCII case; all other text keeps its case. Errors are
// reported through the handler and lexing goes on.
class xScriptLexer {
 public:
  // Called with the unexpected character, the line index and the line text
  // (valid during the call only).
  using ErrorHandler = std::function<void(char, int, std::string_view)>;

  xScriptLexer() = default;
  xScriptLexer(const xScriptLexer&) = delete;
  xScriptLexer& operator=(const xScriptLexer&) = delete;

  // Points the lexer at the first of [lines]; the vector must outlive it and
  // may be edited in place (defines rewrite it while parsing).
  void reset(const std::vector<std::string>* lines);
  void setErrorHandler(ErrorHandler handler) { onError_ = std::move(handler); }

  // Reads one token; the previous state is kept so that rewind() can undo it.
  script::TokenKind nextToken();
  // Takes back the last token (one level only).
  void rewind();
  // The next non-blank character, possibly on a later line; 0 at the end.
  char peekChar() const;

  script::TokenKind kind() const { return cur_->kind; }
  std::string_view text() const { return {cur_->text, std::size_t(cur_->textLength)}; }
  std::string textString() const { return std::string(text()); }
  int operatorIndex() const { return cur_->opIndex; }
  int lineIndex() const { return cur_->line; }
  // The line the token before the current one began on (the current token's
  // own after a rewind): where a missing token belongs.
  int previousTokenLine() const {
    return rewound_ ? cur_->tokenLine : (cur_ == &states_[0] ? states_[1] : states_[0]).tokenLine;
  }
  int startColumn() const { return cur_->startColumn; }
  // The text of the current line; empty past the end.
  std::string currentLine() const { return std::string(currentLineView()); }
  std::string_view currentLineView() const;

 private:
  struct State {
    int line = 0;
    int tokenLine = 0;  // the line the token began on
    std::size_t pos = 0;
    script::TokenKind kind = script::TokenKind::End;
    char text[script::kTokenBufferSize] = {};
    int textLength = 0;
    int startColumn = 0;
    int opIndex = 0;
  };

  int readChar();  // -1 at the end of input
  int readCharAcrossLines();
  void unreadChar();
  void append(char c);
  void appendNameRun();
  void error(char c);

  script::TokenKind lexNumber(char first);
  script::TokenKind lexIdentifier(char first);
  script::TokenKind lexOperator(char first);
  script::TokenKind lexString();

  const std::vector<std::string>* lines_ = nullptr;
  // The current token and the one before it: nextToken reads into the other
  // slot and rewind() swaps back, so no token text is ever copied.
  State states_[2];
  State* cur_ = &states_[0];
  bool rewound_ = false;
  bool lastReadWasChar_ = false;
  bool overflowReported_ = false;
  int reportedLine_ = -1;  // where the last error was reported
  std::size_t reportedPos_ = 0;
  ErrorHandler onError_;
};
