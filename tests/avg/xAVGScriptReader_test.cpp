// Scene files into statements, keyword codes, parameters and text pieces.
#include "avg/xAVGScriptReader.h"

#include <filesystem>

#include "base/resource_path.h"
#include "engine/platform.h"

#include "tests/avg/avg_fixture.h"

namespace {

using avgtest::SceneTest;
using Pieces = std::vector<std::vector<std::string>>;

TEST_F(SceneTest, CommentsBlocksAndContinuationLines) {
  EXPECT_EQ(statements("comments.txt"),
            (std::vector<std::string>{"soun first.wav ;", "# not a comment after a block ;",
                                      "text Hello\\b there\\b ;", "paus ;", "life 3 ;", "nota;"}));
  EXPECT_EQ(reader()->params, std::vector<std::string>{"first.wav"});
  reader()->advance();
  EXPECT_EQ(reader()->token, avg::kUnknownCode);
  reader()->advance();
  EXPECT_EQ(reader()->params, (std::vector<std::string>{"Hello", " there"}));
  EXPECT_EQ(reader()->lineIndex, 2);
}

TEST_F(SceneTest, TextEscapesAndVoices) {
  EXPECT_EQ(paramsPerStatement("escapes.txt"),
            (Pieces{{"#VO voice01.wav", "Hello", "World"},
                    {"One", "#CS", "Two"},
                    {},
                    {"#VO v2.wav", "Kept", "\nZ"},
                    {"A"},
                    {"#VO open.wav ;"}}));
}

TEST_F(SceneTest, SecondByteOfATwoByteCharacterIsNeverAnEscapeOrAKeyword) {
  // 0x81 0x5C ends in a backslash; 0xB0 0x69 followed by 'f' holds "if" in its bytes.
  EXPECT_EQ(paramsPerStatement("dbcs.txt"),
            (Pieces{{"\x81\x5C" "b", "\x81\x5C"}, {"\xB0\x69" "f", " more"}, {"\x81\x5C"}}));
}

TEST_F(SceneTest, EndOfFileDropsWhatIsUnfinished) {
  EXPECT_EQ(statements("eof_statement.txt"), std::vector<std::string>{"dela 5 ;"});
  EXPECT_EQ(statements("eof_block.txt"), std::vector<std::string>{"paus ;"});
  reader()->readText("paus ;\n#", "memory");
  EXPECT_EQ(reader()->lines.size(), 1u);
  reader()->readText("# comment\nwith one line after it ;", "memory");
  EXPECT_TRUE(reader()->atEnd());

  EXPECT_TRUE(statements("empty.txt").empty());
  EXPECT_TRUE(reader()->atEnd());
  EXPECT_EQ(reader()->token, avg::kUnknownCode);
  EXPECT_TRUE(build().empty());
  EXPECT_TRUE(reader()->finished);
  EXPECT_EQ(logged("xAVG::addOrderParam: invalid order index -1"), 0);
}

TEST_F(SceneTest, MissingFileLeavesNoStatements) {
  ASSERT_TRUE(reader()->readFile(avgtest::fixture("comments.txt")));
  EXPECT_FALSE(reader()->readFile(avgtest::fixture("no_such_scene.txt")));
  EXPECT_TRUE(reader()->lines.empty());
  EXPECT_TRUE(reader()->atEnd());
  EXPECT_EQ(reader()->fileName, avgtest::fixture("comments.txt"));
  EXPECT_TRUE(build().empty());
}

// A scene name that leads to a device or a folder reads nothing and says why;
// confined as the game runs, one outside the run folder is refused by name,
// while one that only passes through a sibling folder reads.
TEST_F(SceneTest, OnlyARegularFileInsideTheRunFolderIsAScene) {
  dir_.write("outside.txt", "dela 5 ;\n");
  dir_.write("run/data/scene/a.txt", "dela 5 ;\n");
  std::filesystem::current_path("run");
  std::filesystem::create_symlink("/dev/zero", "zero.txt");
  EXPECT_FALSE(reader()->readFile("zero.txt"));
  EXPECT_FALSE(reader()->readFile("data"));
  const std::string absolute = (dir_.path() / "outside.txt").string();
  base::confineGamePathsToRunFolder();
  bool outside = reader()->readFile(absolute);
  bool climbing = reader()->readFile("data/../../outside.txt");
  bool inside = reader()->readFile("data\\UI\\..\\scene\\a.txt");
  engine::confineGamePaths(nullptr);
  EXPECT_FALSE(outside);
  EXPECT_FALSE(climbing);
  EXPECT_TRUE(inside);
  EXPECT_EQ(dir_.read("run/log.txt").substr(48),
            "xAVGScriptReader::readFile: zero.txt (not a regular file)\n"
            "xAVGScriptReader::readFile: data (Is a directory)\n"
            "Refused a path outside the game folder: " + absolute + "\n"
            "Refused a path outside the game folder: data/../../outside.txt\n");
}

TEST_F(SceneTest, ParametersNeedABlankAndAFurtherWordAfterThem) {
  auto paramsOf = [](const std::string& statement) {
    reader()->readText(statement, "memory");
    return reader()->params;
  };
  using Params = std::vector<std::string>;
  EXPECT_EQ(paramsOf("imgi girl.png 100 200 5 ;"), (Params{"girl.png", "100", "200", "5"}));
  EXPECT_EQ(paramsOf("imgi girl.png 100 200 5;"), (Params{"girl.png", "100", "200"}));
  EXPECT_EQ(paramsOf("dela 60 ;"), Params{"60"});
  EXPECT_EQ(paramsOf("dela 60;"), Params{});
  EXPECT_EQ(paramsOf("dela  60   7  ;"), (Params{" 60", "7"}));
  EXPECT_EQ(paramsOf("dela 60 ;   "), Params{"60"});
  EXPECT_EQ(paramsOf("dela 60   ;"), Params{"60"});
  EXPECT_EQ(paramsOf("paus ;"), Params{});
  EXPECT_EQ(paramsOf("text Hello ;"), Params{});
}

TEST_F(SceneTest, KeywordCodesAndTheirExceptions) {
  using avg::keywordCode;
  auto code = &xAVGScriptReader::tokenCode;
  EXPECT_EQ(code("if choice 1"), keywordCode("jfe "));
  EXPECT_EQ(code("ife x ;"), keywordCode("ife "));
  EXPECT_EQ(code("bg sky.png ;"), keywordCode("back"));
  EXPECT_EQ(code("back sky.png ;"), avg::kUnknownCode);
  EXPECT_EQ(code("textC x ;"), keywordCode("uext"));
  EXPECT_EQ(code("bgsoundout ;"), keywordCode("cgso"));
  EXPECT_EQ(code("alphain x ;"), keywordCode("alph"));
  EXPECT_EQ(code("alphaout x ;"), keywordCode("blph"));
  EXPECT_EQ(code("setbomb 1 ;"), keywordCode("setb"));
  EXPECT_EQ(code("setbgm 1 ;"), keywordCode("setb"));
  EXPECT_EQ(code("unloadm ;"), keywordCode("unlo"));
  EXPECT_EQ(code("Imgi x ;"), avg::kUnknownCode);
  // Statements too short for the tested position: that position is "not that character".
  EXPECT_EQ(code("text"), keywordCode("text"));
  EXPECT_EQ(code("bgso;"), keywordCode("bgso"));
  EXPECT_EQ(code("alph"), keywordCode("blph"));
  EXPECT_EQ(code("setb"), keywordCode("tetb"));
  EXPECT_EQ(code("unlo"), keywordCode("vnlo"));
}

}  // namespace
