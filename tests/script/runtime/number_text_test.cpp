// Script number conversions: atoi/atof, float text and the two-decimal text.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>

#include "script/runtime/number_text.h"
#include "script/runtime/vm_value.h"

using namespace script;

TEST(NumberText, AtoiTakesSignAndLeadingDigitsAndSaturates) {
  EXPECT_EQ(textToInt("3abc"), 3);
  EXPECT_EQ(textToInt("abc"), 0);
  EXPECT_EQ(textToInt("  \t-42x"), -42);
  EXPECT_EQ(textToInt("+7"), 7);
  EXPECT_EQ(textToInt("0x10"), 0);
  EXPECT_EQ(textToInt("2147483647"), INT_MAX);
  EXPECT_EQ(textToInt("2147483648"), INT_MAX);
  EXPECT_EQ(textToInt("-2147483648"), INT_MIN);
  EXPECT_EQ(textToInt("-99999999999999999999999"), INT_MIN);
  EXPECT_EQ(textToInt(""), 0);
}

TEST(NumberText, AtofGrammarWithoutHexInfNan) {
  EXPECT_FLOAT_EQ(textToFloat("3abc"), 3.0f);
  EXPECT_FLOAT_EQ(textToFloat("abc"), 0.0f);
  EXPECT_FLOAT_EQ(textToFloat(" -12.5e1x"), -125.0f);
  EXPECT_FLOAT_EQ(textToFloat(".5"), 0.5f);
  EXPECT_FLOAT_EQ(textToFloat("7."), 7.0f);
  EXPECT_FLOAT_EQ(textToFloat("5e"), 5.0f);  // an exponent without digits is not part of the number
  EXPECT_FLOAT_EQ(textToFloat("1.507"), 1.507f);
  EXPECT_EQ(textToFloat("inf"), 0.0f);
  EXPECT_EQ(textToFloat("nan"), 0.0f);
  EXPECT_EQ(textToFloat("0x1p3"), 0.0f);
  EXPECT_EQ(textToFloat("1e999"), FLT_MAX);
  EXPECT_EQ(textToFloat("-1e39"), -FLT_MAX);
  EXPECT_EQ(textToFloat("123456789012345678901234567890123456789012"), FLT_MAX);
  EXPECT_EQ(textToFloat("1e-999"), 0.0f);
}

TEST(NumberText, FloatToIntTruncatesAndSaturates) {
  EXPECT_EQ(floatToInt(-2.7f), -2);
  EXPECT_EQ(floatToInt(std::nanf("")), 0);
  EXPECT_EQ(floatToInt(3e9f), INT_MAX);
  EXPECT_EQ(floatToInt(-3e9f), INT_MIN);
  EXPECT_EQ(floatToInt(INFINITY), INT_MAX);
}

TEST(NumberText, TextForms) {
  EXPECT_EQ(intToText(-15), "-15");
  EXPECT_EQ(intToText(INT_MIN), "-2147483648");
  EXPECT_EQ(floatToText(1.5f), "1.500000");
  EXPECT_EQ(floatToText(-0.25f), "-0.250000");
}

TEST(NumberText, TwoDecimalTextRoundsHalfAwayFromTheExactValue) {
  EXPECT_EQ(floatToTwoDecimalText(1.996f), "2.00");
  EXPECT_EQ(floatToTwoDecimalText(-0.5f), "-0.50");
  EXPECT_EQ(floatToTwoDecimalText(3.0f), "3.00");
  EXPECT_EQ(floatToTwoDecimalText(0.05f), "0.05");
  EXPECT_EQ(floatToTwoDecimalText(0.125f), "0.13");    // printf would give 0.12
  EXPECT_EQ(floatToTwoDecimalText(-0.125f), "-0.13");
  EXPECT_EQ(floatToTwoDecimalText(2.675f), "2.67");    // exactly 2.67499995...
  EXPECT_EQ(floatToTwoDecimalText(99.995f), "100.00");  // 99.9950027... carries
  EXPECT_EQ(floatToTwoDecimalText(1e20f), "100000002004087734272.00");
}

TEST(NumberText, AsciiCaseOnly) {
  EXPECT_EQ(toUpperAscii("htLog_\xc4\xe3z"), "HTLOG_\xc4\xe3Z");
  EXPECT_TRUE(equalsIgnoreAsciiCase("Render", "RENDER"));
  EXPECT_FALSE(equalsIgnoreAsciiCase("\xe4", "\xc4"));
}

TEST(VmValue, Conversions) {
  EXPECT_EQ(vm_value::makeString("3abc").asInt(), 3);
  EXPECT_FLOAT_EQ(vm_value::makeString("3abc").asFloat(), 3.0f);
  EXPECT_EQ(vm_value::makeFloat(-2.7f).asInt(), -2);
  EXPECT_FLOAT_EQ(vm_value::makeInt(7).asFloat(), 7.0f);
  vm_value null;
  EXPECT_EQ(null.asInt(), 0);
  EXPECT_EQ(null.asFloat(), 0.0f);
  EXPECT_EQ(null.asText(), "");
  EXPECT_EQ(vm_value::makeInt(-3).asText(), "-3");
  EXPECT_EQ(vm_value::makeFloat(1.5f).asText(), "1.500000");
}
