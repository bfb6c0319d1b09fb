// The script lexer: token kinds, glued lines, operators, strings, errors and the token limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/compiler/lexer.h"

namespace {

using script::TokenKind;

// Lexes [lines] to the end; each token as "kind:text", operators as "op<index>:text".
struct Lexed {
  std::vector<std::string> tokens;
  std::vector<char> errors;
};

Lexed lex(const std::vector<std::string>& lines) {
  Lexed out;
  xScriptLexer lexer;
  lexer.reset(&lines);
  lexer.setErrorHandler([&](char c, int, std::string_view) { out.errors.push_back(c); });
  for (int guard = 0; guard < 10000; ++guard) {
    TokenKind kind = lexer.nextToken();
    if (kind == TokenKind::End) break;
    std::string prefix = kind == TokenKind::Operator ? "op" + std::to_string(lexer.operatorIndex())
                                                     : std::to_string(int(kind));
    out.tokens.push_back(prefix + ":" + lexer.textString());
  }
  return out;
}

using Tokens = std::vector<std::string>;

TEST(CompilerLexer, KeywordsIgnoreCaseOtherNamesKeepIt) {
  Lexed lexed = lex({"VAR Var var vAr x X; STRUCT Print"});
  EXPECT_EQ(lexed.tokens, (Tokens{"4:VAR", "4:Var", "4:var", "4:vAr", "3:x", "3:X", "24:;", "31:STRUCT", "27:Print"}));
  EXPECT_TRUE(lexed.errors.empty());
}

TEST(CompilerLexer, LinesAreGluedWithoutSeparator) {
  EXPECT_EQ(lex({"else", "x = 1;"}).tokens, (Tokens{"3:elsex", "op11:=", "1:1", "24:;"}));
  EXPECT_EQ(lex({"a", " b"}).tokens, (Tokens{"3:a", "3:b"}));
}

TEST(CompilerLexer, LongestOperators) {
  EXPECT_EQ(lex({"a<<=2"}).tokens, (Tokens{"3:a", "op33:<<=", "1:2"}));
  EXPECT_EQ(lex({"a<=2"}).tokens, (Tokens{"3:a", "op29:<=", "1:2"}));
  EXPECT_EQ(lex({"a>>b||c&&d!=e$f"}).tokens,
            (Tokens{"3:a", "op32:>>", "3:b", "op25:||", "3:c", "op23:&&", "3:d", "op27:!=", "3:e", "op35:$", "3:f"}));
  EXPECT_EQ(lex({"x+=-1 a==-1"}).tokens, (Tokens{"3:x", "op14:+=", "op1:-", "1:1", "3:a", "op28:==", "op1:-", "1:1"}));
}

TEST(CompilerLexer, OperatorErrorEndsBeforeTheOffendingCharacter) {
  Lexed lexed = lex({"x=-1 a*-b y+-2"});
  EXPECT_EQ(lexed.tokens, (Tokens{"3:x", "op11:=", "op1:-", "1:1", "3:a", "op2:*", "op1:-", "3:b", "3:y", "op0:+",
                                  "op1:-", "1:2"}));
  EXPECT_EQ(lexed.errors, (std::vector<char>{'-', '-', '-'}));
}

TEST(CompilerLexer, HashIsADelimiterOnlyInTheFirstColumn) {
  Lexed lexed = lex({"#define", " #x"});
  EXPECT_EQ(lexed.tokens, (Tokens{"25:#", "28:define", "25:#", "3:x"}));
  EXPECT_EQ(lexed.errors, (std::vector<char>{'#'}));
}

TEST(CompilerLexer, Numbers) {
  EXPECT_EQ(lex({"3. .5 1.2.3 42"}).tokens, (Tokens{"2:3.", "30:.", "1:5", "2:1.2", "30:.", "1:3", "1:42"}));
  Lexed bad = lex({"12ab x"});
  EXPECT_EQ(bad.tokens, (Tokens{"1:12ab", "3:x"}));
  EXPECT_EQ(bad.errors, (std::vector<char>{'a', 'b'}));
}

TEST(CompilerLexer, StringsKeepBackslashesAndRunOverLines) {
  EXPECT_EQ(lex({"\"a\\tb\" \"q\\\"x\""}).tokens, (Tokens{"26:a\\tb", "26:q\\\"x"}));
  EXPECT_EQ(lex({"\"ab", "cd\" x"}).tokens, (Tokens{"26:abcd", "3:x"}));
  EXPECT_EQ(lex({"x \"open"}).tokens, (Tokens{"3:x"}));  // the string runs into the end
}

TEST(CompilerLexer, OtherCharactersAreErrorsAndReadingGoesOn) {
  Lexed lexed = lex({"a @b c"});
  EXPECT_EQ(lexed.tokens, (Tokens{"3:a", "3:@b", "3:c"}));
  EXPECT_EQ(lexed.errors, (std::vector<char>{'@'}));
}

TEST(CompilerLexer, TokenLimitRejectsWithoutOverrun) {
  std::string longName(1023, 'n');
  Lexed fits = lex({longName + " x"});
  EXPECT_TRUE(fits.errors.empty());
  EXPECT_EQ(fits.tokens.front(), "3:" + longName);
  Lexed tooLong = lex({longName + "XYZ x;", "\"" + std::string(3000, 's') + "\""});
  EXPECT_EQ(tooLong.errors, (std::vector<char>{'X', 's'}));
  EXPECT_EQ(tooLong.tokens[0], "3:" + longName);
  EXPECT_EQ(tooLong.tokens[1], "3:x");
  EXPECT_EQ(tooLong.tokens[3].size(), 3u + 1023u);
}

TEST(CompilerLexer, RewindPeekAndPositions) {
  std::vector<std::string> lines = {"  foo (", "", "\t) bar"};
  xScriptLexer lexer;
  lexer.reset(&lines);
  EXPECT_EQ(lexer.nextToken(), TokenKind::Identifier);
  EXPECT_EQ(lexer.startColumn(), 2);
  EXPECT_EQ(lexer.peekChar(), '(');
  EXPECT_EQ(lexer.nextToken(), TokenKind::OpenParen);
  EXPECT_EQ(lexer.peekChar(), ')');
  lexer.rewind();
  EXPECT_EQ(lexer.nextToken(), TokenKind::OpenParen);
  EXPECT_EQ(lexer.nextToken(), TokenKind::CloseParen);
  EXPECT_EQ(lexer.lineIndex(), 2);
  EXPECT_EQ(lexer.startColumn(), 1);
  EXPECT_EQ(lexer.currentLine(), "\t) bar");
  EXPECT_EQ(lexer.nextToken(), TokenKind::Identifier);
  EXPECT_EQ(lexer.peekChar(), 0);
  EXPECT_EQ(lexer.nextToken(), TokenKind::End);
}

}  // namespace
