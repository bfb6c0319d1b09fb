// Statements into orders: kinds, parameters, branch numbers, effect and shake words.
#include "avg/xAVGScriptParser.h"

#include "tests/avg/avg_fixture.h"

namespace {

using avgtest::SceneTest;
using Orders = std::vector<std::string>;

TEST_F(SceneTest, EveryStatementKind) {
  EXPECT_EQ(orders("orders.txt"),
            (Orders{"3|0|girl.png|100|200|5", "3|0|girl.png|100|200", "4|0|girl.png|0",
                    "5|0|girl.png|-10|20.5|-3", "6|0|pick|3|A|B|C", "6|0|pick|0", "6|0|pick",
                    "7|0|sky.png", "8|0| music.mp3", "9|0|rain.wav", "10|0", "12|0", "12|0|now",
                    "13|0|click.wav", "14|0|60", "14|0|-5", "14|0", "15|0", "16|0|Li", "17|0|x|y",
                    "49|0|255|128|0|300", "49|0|1|2|3", "39|0|1.5", "40|0|2", "41|0|1", "42|0|0.5",
                    "43|0|1", "44|0|1", "45|0|4", "46|0|3", "46|0|3", "47|0|2", "48|0|1"}));
  // hide, back, setbg, textC, unlock, bgm2; the first came before any order.
  EXPECT_EQ(logged("ERROR UNKNOWN TOKEN TPYE"), 6);
  EXPECT_EQ(logged("xAVG::addOrderParam: invalid order index -1"), 1);
}

TEST_F(SceneTest, TextPiecesBecomeTextsAndVoices) {
  EXPECT_EQ(orders("escapes.txt"),
            (Orders{"11|0|voice01.wav", "1|0|Hello", "2|0|World", "1|0|One", "1|0|Two", "11|0|v2.wav",
                    "1|0|Kept", "2|0|\nZ", "1|0|A", "11|0|open.wav ;"}));
  EXPECT_EQ(logged("Play Voice: voice01.wav"), 1);
  EXPECT_EQ(orders("comments.txt"), (Orders{"13|0|first.wav", "1|0|Hello", "2|0| there", "15|0", "17|0"}));
}

TEST_F(SceneTest, BranchNumbersOfIfElseBlocks) {
  EXPECT_EQ(orders("branches.txt"),
            (Orders{"6|0|pick|2|Left|Right", "35|1", "11|1|a.wav", "1|1|In if", "14|1|5", "37|2",
                    "1|2|In else", "38|0", "15|0", "35|1", "15|1", "37|2", "35|2|pick", "15|2", "38|0"}));
  EXPECT_EQ(logged("ERROR UNKNOWN TOKEN TPYE"), 1);

  // An unknown statement stores the counter into the order before it; a new
  // build starts counting from 0 whatever the last one left.
  EXPECT_EQ(ordersOfText("paus ;\nif x\nhide ;\n"), (Orders{"15|0", "35|1"}));
  EXPECT_EQ(ordersOfText("paus ;\n"), Orders{"15|0"});
  EXPECT_EQ(xAVGScriptParser::getInstance()->branchCounter, 0);
}

TEST_F(SceneTest, EffectAndShakeWords) {
  EXPECT_EQ(orders("effects.txt"),
            (Orders{"20|0|30", "21|0|30", "24|0|30", "25|0|30", "28|0|30", "30|0|30",
                    "22|0|30", "23|0|30", "27|0|30", "26|0|30", "29|0|30", "31|0|30", "34|0|30",
                    "28|0|30", "50|0|30", "29|0", "50|0",
                    "18|0|2|30|4|0|0|0", "18|0|1|10|0|a|b|c", "18|0|-1|10", "50|0"}));
  // A written "blph" is no keyword.
  EXPECT_EQ(logged("ERROR UNKNOWN TOKEN TPYE"), 1);
}

// An unknown keyword's second line names the file line it stands on, every
// line counted: comments, blocks, empty and dropped lines, Windows line ends.
TEST_F(SceneTest, UnknownKeywordsNameTheirFileLine) {
  dir_.write("prologue.txt",
             "# a comment\r\ndela 10 ;\r\n/# block\r\nimgi x.png 1 2 3 ;\r\n#/\r\npaus ;\r\n\r\n"
             "text Hel\r\nlo\\b ;\r\nfadein2 30 ;\r\nx\r\nbgm2 a\r\nb ;\r\n");
  ASSERT_TRUE(reader()->readFile("prologue.txt"));
  EXPECT_EQ(build(), (Orders{"15|0", "1|0|Hello"}));
  std::string log = dir_.read("log.txt");
  EXPECT_NE(log.find("ERROR UNKNOWN TOKEN TPYE\nprologue.txt:10: unknown keyword 'fadein2'\n"), std::string::npos);
  EXPECT_NE(log.find("ERROR UNKNOWN TOKEN TPYE\nprologue.txt:12: unknown keyword 'bgm2'\n"), std::string::npos);
}

}  // namespace
