// Cuts one kept line of an assembly listing into tokens for the assembler.
#include "script/assembler/asm_lexer.h"

#include <array>
#include <utility>

#include "script/runtime/number_text.h"
#include "script/runtime/opcodes.h"

namespace script {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// integer -> ['-'] digit {digit}
bool isIntegerText(std::string_view s) {
  std::size_t i = (!s.empty() && s[0] == '-') ? 1 : 0;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i) {
    if (!isDigit(s[i])) return false;
  }
  return true;
}

// float -> ['-'] {digit} '.' {digit}, with at least one digit
bool isFloatText(std::string_view s) {
  std::size_t i = (!s.empty() && s[0] == '-') ? 1 : 0;
  int dots = 0;
  int digits = 0;
  for (; i < s.size(); ++i) {
    if (s[i] == '.') {
      ++dots;
    } else if (isDigit(s[i])) {
      ++digits;
    } else {
      return false;
    }
  }
  return dots == 1 && digits > 0;
}

bool isIdentifierText(std::string_view s) {
  if (s.empty() || isDigit(s[0])) return false;
  for (char c : s) {
    if (!isIdentChar(c)) return false;
  }
  return true;
}

constexpr std::array<std::pair<std::string_view, AsmKeyword>, 6> kKeywords = {{
    {"VAR", AsmKeyword::Var},
    {"SETSTACKSIZE", AsmKeyword::SetStackSize},
    {"FUNC", AsmKeyword::Func},
    {"PARAM", AsmKeyword::Param},
    {"_RETVAL", AsmKeyword::RetVal},
    {"SETPRIORITY", AsmKeyword::SetPriority},
}};

}  // namespace

bool isAsmDelimiter(char c) {
  return c == ':' || c == ',' || c == '"' || c == '[' || c == ']' || c == '{' || c == '}';
}

void AsmLexer::skipBlanks() {
  while (pos_ < line_.size() && isBlank(line_[pos_])) ++pos_;
}

AsmToken AsmLexer::peek() {
  std::size_t saved = pos_;
  AsmToken token = next();
  pos_ = saved;
  return token;
}

AsmToken AsmLexer::next() {
  skipBlanks();
  AsmToken token;
  token.column = static_cast<int>(pos_);
  if (pos_ >= line_.size()) return token;
  char c = line_[pos_];
  if (c == '"') return readString(pos_);
  if (isAsmDelimiter(c)) {
    ++pos_;
    token.kind = AsmTokenKind::Delimiter;
    token.delimiter = c;
    token.text.assign(1, c);
    return token;
  }
  std::size_t start = pos_;
  while (pos_ < line_.size() && !isBlank(line_[pos_]) && !isAsmDelimiter(line_[pos_])) ++pos_;
  return classify(start, pos_);
}

// string -> '"' {char | '\' char} '"' ; "\n" is a new line, '\' x is x
AsmToken AsmLexer::readString(std::size_t start) {
  AsmToken token;
  token.column = static_cast<int>(start);
  token.kind = AsmTokenKind::BadString;
  std::size_t i = start + 1;
  while (i < line_.size()) {
    char c = line_[i++];
    if (c == '"') {
      token.kind = AsmTokenKind::String;
      pos_ = i;
      return token;
    }
    if (c == '\\') {
      // A backslash with nothing after it escapes no character at all.
      if (i >= line_.size()) break;
      char escaped = line_[i++];
      token.text.push_back(escaped == 'n' ? '\n' : escaped);
    } else {
      token.text.push_back(c);
    }
  }
  token.text.clear();
  pos_ = line_.size();
  return token;
}

AsmToken AsmLexer::classify(std::size_t start, std::size_t end) const {
  AsmToken token;
  token.column = static_cast<int>(start);
  std::string_view lexeme = line_.substr(start, end - start);
  token.text = toUpperAscii(lexeme);
  if (isIntegerText(lexeme)) {
    token.kind = AsmTokenKind::Integer;
  } else if (isFloatText(lexeme)) {
    token.kind = AsmTokenKind::Float;
  } else if (isIdentifierText(lexeme)) {
    token.kind = AsmTokenKind::Identifier;
    for (const auto& [spelling, keyword] : kKeywords) {
      if (token.text == spelling) {
        token.kind = AsmTokenKind::Keyword;
        token.keyword = keyword;
      }
    }
    if (auto op = findMnemonic(token.text)) {
      token.kind = AsmTokenKind::Mnemonic;
      token.opcode = static_cast<int>(*op);
    }
  } else {
    token.kind = AsmTokenKind::Invalid;
  }
  return token;
}

}  // namespace script
