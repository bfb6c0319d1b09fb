// Parameter counts, numbers and clamps as the player reads an order.
#include "avg/order_args.h"

#include <climits>

#include "tests/avg/avg_fixture.h"

namespace {

using avgtest::SceneTest;

xAVGOrder order(xAVGOrderType type, std::vector<std::string> params) {
  xAVGOrder made;
  made.type = type;
  made.params = std::move(params);
  return made;
}

TEST_F(SceneTest, CountChecksOfOrdersFromAFile) {
  ASSERT_TRUE(reader()->readFile(avgtest::fixture("orders.txt")));
  build();
  std::vector<avg::OrderArgs> args;
  for (const xAVGOrder& made : list_.orders()) args.push_back(avg::readOrderArgs(made));
  ASSERT_EQ(args.size(), 33u);
  std::vector<bool> ok;
  for (const avg::OrderArgs& a : args) ok.push_back(a.countOk);
  std::vector<bool> expected(33, true);
  for (int wrong : {1, 6, 12, 16, 21}) expected[static_cast<std::size_t>(wrong)] = false;
  EXPECT_EQ(ok, expected);
  EXPECT_EQ(args[1].countMessage, "xAVG::ParseOrder: order: IMGIN, invalid param size 3");
  EXPECT_TRUE(args[5].options.empty()) << "a choice of no options";
  EXPECT_EQ(args[6].countMessage, "XAVG::ParseOrder: order: XAVG_SELECT: invalid param size: 1");
  EXPECT_EQ(args[12].countMessage, "xAVG::ParseOrder: order: NOBGM, invalid param size 1");
  EXPECT_EQ(args[16].countMessage, "xAVG::ParseOrder: order: DELAY, invalid param size 0");

  EXPECT_EQ(args[0].frames, 51);
  EXPECT_EQ(args[0].x, 100.0f);
  EXPECT_EQ(args[2].frames, 0);  // fade speed 0: at once
  EXPECT_EQ(args[3].x, -10.0f);
  EXPECT_EQ(args[3].y, 20.5f);
  EXPECT_EQ(args[3].frames, 0);
  EXPECT_EQ(args[4].options, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(args[8].name, " music.mp3");
  EXPECT_EQ(args[14].frames, 60);
  EXPECT_EQ(args[15].frames, 0);
  EXPECT_EQ(args[20].colour, 0xFFFF8000u);
  EXPECT_EQ(args[22].power, 1.5f);
  EXPECT_EQ(args[25].power, 0.5f);
  EXPECT_EQ(args[32].amount, 1);
}

TEST_F(SceneTest, EffectFramesAndScreenShake) {
  auto shake = avg::readOrderArgs(order(xAVGOrderType::SCREENMOVE, {"1", "10", "0", "a", "b", "c"}));
  EXPECT_EQ(shake.shakeMode, 1);
  EXPECT_EQ(shake.frames, 10);
  EXPECT_EQ(shake.amplitude, 5.0f);
  EXPECT_EQ(avg::readOrderArgs(order(xAVGOrderType::SCREENMOVE, {"2", "-9", "3.5", "", "", ""})).amplitude, 3.5f);
  EXPECT_EQ(avg::readOrderArgs(order(xAVGOrderType::SCREENMOVE, {"2", "-9", "3.5", "", "", ""})).frames, 0);
  EXPECT_FALSE(avg::readOrderArgs(order(xAVGOrderType::SCREENMOVE, {"2", "30"})).countOk);

  EXPECT_EQ(avg::readOrderArgs(order(xAVGOrderType::SE_OPEN_THOUSAND_RIGHT_IN, {"40"})).frames, 40);
  EXPECT_FALSE(avg::readOrderArgs(order(xAVGOrderType::SE_FADE_BLACK_IN, {})).countOk);
  auto fade = avg::readOrderArgs(order(xAVGOrderType::SE_FADEOUT, {"cg.png", "20"}));
  EXPECT_EQ(fade.name, "cg.png");
  EXPECT_EQ(fade.frames, 20);
  EXPECT_TRUE(avg::readOrderArgs(order(xAVGOrderType::NO_ORDER, {"30"})).countOk);
  EXPECT_TRUE(avg::readOrderArgs(order(xAVGOrderType::TEXTCLEAR, {})).countOk);
  EXPECT_EQ(avg::readOrderArgs(order(xAVGOrderType::TEXTADD, {})).countMessage,
            "xAVG::ParseOrder: order: TEXT, invalid param size 0");
  EXPECT_EQ(avg::readOrderArgs(order(xAVGOrderType::IMGIN, {"a", "0", "0", "255"})).frames, 1);
  EXPECT_EQ(avg::readOrderArgs(order(xAVGOrderType::IMGOUT, {"a", "-4"})).frames, 0);
  EXPECT_EQ(avg::readOrderArgs(order(xAVGOrderType::XAVG_SELECT, {"s", "x", "A"})).countOk, false);
}

TEST(OrderArgs, NumbersAreTheLeadingDecimalText) {
  EXPECT_EQ(avg::readIntParam(" 60"), 60);
  EXPECT_EQ(avg::readIntParam("+7x"), 7);
  EXPECT_EQ(avg::readIntParam("-12.9"), -12);
  EXPECT_EQ(avg::readIntParam("abc"), 0);
  EXPECT_EQ(avg::readIntParam("-"), 0);
  EXPECT_EQ(avg::readIntParam("99999999999999999999999"), INT_MAX);
  EXPECT_EQ(avg::readIntParam("-99999999999"), INT_MIN);
  EXPECT_EQ(avg::readFloatParam("-3.25px"), -3.25f);
  EXPECT_EQ(avg::readFloatParam(".5"), 0.5f);
  EXPECT_EQ(avg::readFloatParam("2."), 2.0f);
  EXPECT_EQ(avg::readFloatParam("1e5"), 1.0f);
  EXPECT_EQ(avg::readFloatParam("."), 0.0f);
  EXPECT_EQ(avg::readFloatParam(std::string(400, '9')), std::numeric_limits<float>::max());
  EXPECT_EQ(avg::readFloatParam("0." + std::string(400, '0') + "1"), 0.0f);
}

TEST(OrderArgs, ColourChannelsAreClampedAndKeepTheirValue) {
  for (int v = 0; v <= 255; ++v) {
    std::string text = std::to_string(v);
    auto args = avg::readOrderArgs(order(xAVGOrderType::SETRGBA, {text, text, text, text}));
    ASSERT_EQ(args.colour, 0x01010101u * static_cast<unsigned>(v)) << v;
  }
  EXPECT_EQ(avg::readOrderArgs(order(xAVGOrderType::SETRGBA, {"-5", "999", "0", "128"})).colour, 0x8000FF00u);
}

}  // namespace
