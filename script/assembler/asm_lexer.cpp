// Cuts one kept line of an assembly listing into tokens for the assembler.
#include "script/assembler/asm_lexer.h"

#include <array>
#include <cstdint>

#include "script/runtime/number_text.h"
#include "script/runtime/opcodes.h"

namespace script {
namespace {

// Character classes, one table lookup per byte: the assembler reads every
// byte of every listing the game loads.
enum CharClass : std::uint8_t {
  kOther = 0,      // ends nothing, but makes a word invalid
  kBlank = 1,      // space, tab
  kDelimiter = 2,  // : , " [ ] { }
  kDigit = 3,
  kNameChar = 4,   // letters and '_'
  kMinus = 5,
  kDot = 6,
};

constexpr std::array<std::uint8_t, 256> kClasses = [] {
  std::array<std::uint8_t, 256> table{};
  table[' '] = table['\t'] = kBlank;
  for (char c : std::string_view(":,\"[]{}")) table[static_cast<unsigned char>(c)] = kDelimiter;
  for (int c = '0'; c <= '9'; ++c) table[c] = kDigit;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = table[c + 'a' - 'A'] = kNameChar;
  table['_'] = kNameChar;
  table['-'] = kMinus;
  table['.'] = kDot;
  return table;
}();

inline std::uint8_t classOf(char c) { return kClasses[static_cast<unsigned char>(c)]; }

static_assert(static_cast<std::size_t>(AsmKeyword::SetPriority) == kListingKeywords.size());

AsmKeyword keywordOf(std::string_view word) {
  for (std::size_t i = 0; i < kListingKeywords.size(); ++i) {
    if (equalsIgnoreAsciiCase(word, kListingKeywords[i])) return static_cast<AsmKeyword>(i + 1);
  }
  return AsmKeyword::None;
}

}  // namespace

bool isAsmDelimiter(char c) { return classOf(c) == kDelimiter; }

void AsmLexer::skipBlanks() {
  while (pos_ < line_.size() && classOf(line_[pos_]) == kBlank) ++pos_;
}

AsmToken AsmLexer::peek() {
  std::size_t saved = pos_;
  AsmToken token = next();
  pos_ = saved;
  return token;
}

bool AsmLexer::nextIsDelimiter(char c) {
  skipBlanks();
  return pos_ < line_.size() && line_[pos_] == c && c != '"' && classOf(c) == kDelimiter;
}

AsmToken AsmLexer::next() {
  skipBlanks();
  AsmToken token;
  token.column = static_cast<int>(pos_);
  if (pos_ >= line_.size()) return token;
  char c = line_[pos_];
  if (c == '"') return readString(pos_);
  if (classOf(c) == kDelimiter) {
    token.kind = AsmTokenKind::Delimiter;
    token.delimiter = c;
    token.text = line_.substr(pos_++, 1);
    return token;
  }
  return readWord(pos_);
}

// string -> '"' {char | '\' char} '"' ; "\n" is a new line, '\' x is x
AsmToken AsmLexer::readString(std::size_t start) {
  AsmToken token;
  token.column = static_cast<int>(start);
  token.kind = AsmTokenKind::BadString;
  std::size_t first = start + 1;
  std::size_t i = first;
  while (i < line_.size() && line_[i] != '"' && line_[i] != '\\') ++i;
  if (i < line_.size() && line_[i] == '"') {  // no escapes: the text is part of the line
    token.kind = AsmTokenKind::String;
    token.text = line_.substr(first, i - first);
    pos_ = i + 1;
    return token;
  }
  unescaped_.assign(line_.substr(first, i - first));
  while (i < line_.size()) {
    char c = line_[i++];
    if (c == '"') {
      token.kind = AsmTokenKind::String;
      token.text = unescaped_;
      pos_ = i;
      return token;
    }
    if (c == '\\') {
      // A backslash with nothing after it escapes no character at all.
      if (i >= line_.size()) break;
      char escaped = line_[i++];
      unescaped_.push_back(escaped == 'n' ? '\n' : escaped);
    } else {
      unescaped_.push_back(c);
    }
  }
  pos_ = line_.size();
  return token;
}

// A word runs to a blank or a delimiter. integer -> ['-'] digit {digit};
// float -> ['-'] {digit} '.' {digit} with a digit; identifier -> a name
// character, then name characters and digits; a keyword or a mnemonic is
// an identifier spelled like one.
AsmToken AsmLexer::readWord(std::size_t start) {
  AsmToken token;
  token.column = static_cast<int>(start);
  const char* text = line_.data();
  std::size_t size = line_.size();
  std::size_t i = start;
  unsigned seen = 0;  // a bit per character class met after the first byte
  for (++i; i < size; ++i) {
    std::uint8_t k = classOf(text[i]);
    if (k == kBlank || k == kDelimiter) break;
    seen |= 1u << k;
  }
  pos_ = i;
  std::string_view word = line_.substr(start, i - start);
  token.text = word;
  std::uint8_t first = classOf(word[0]);
  constexpr unsigned kNumberBits = (1u << kDigit) | (1u << kDot);
  constexpr unsigned kNameBits = (1u << kDigit) | (1u << kNameChar);
  unsigned all = seen | (first == kMinus ? 0u : 1u << first);
  token.kind = AsmTokenKind::Invalid;
  if (first == kNameChar && (seen & ~kNameBits) == 0) {
    token.kind = AsmTokenKind::Identifier;
    if (auto op = findMnemonic(word)) {
      token.kind = AsmTokenKind::Mnemonic;
      token.opcode = static_cast<int>(*op);
    } else if ((token.keyword = keywordOf(word)) != AsmKeyword::None) {
      token.kind = AsmTokenKind::Keyword;
    }
  } else if (all == (1u << kDigit)) {
    token.kind = AsmTokenKind::Integer;
  } else if ((all & ~kNumberBits) == 0 && (all & (1u << kDigit)) != 0) {
    std::size_t dots = 0;
    for (char c : word) dots += c == '.';
    if (dots == 1) token.kind = AsmTokenKind::Float;
  }
  return token;
}

}  // namespace script
