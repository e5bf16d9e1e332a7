#include "common/number_text.h"

#include <gtest/gtest.h>

#include "common/rounding.h"

using namespace common;

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(ToInt32(0.5), 0);
  EXPECT_EQ(ToInt32(1.5), 2);
  EXPECT_EQ(ToInt32(2.5), 2);
  EXPECT_EQ(ToInt32(-0.5), 0);
  EXPECT_EQ(ToInt32(-1.5), -2);
  EXPECT_EQ(ToInt32(-2.5), -2);
  EXPECT_EQ(ToInt32(2.4999), 2);
  EXPECT_EQ(ToInt32(1e300), INT32_MAX);
  EXPECT_EQ(ToInt32(-1e300), INT32_MIN);
  EXPECT_EQ(ToInt16(1e6), 32767);
  EXPECT_EQ(ToInt16(-1e6), -32768);
  EXPECT_EQ(ToInt32(std::nan("")), 0);
}

TEST(NumberText, LeadingBlankAndNoLeadingZero) {
  EXPECT_EQ(NumberText(0.0f), " 0");
  EXPECT_EQ(NumberText(0.5f), " .5");
  EXPECT_EQ(NumberText(-0.5f), "-.5");
  EXPECT_EQ(NumberText(150.0f), " 150");
  EXPECT_EQ(NumberText(1500.0f), " 1500");
  EXPECT_EQ(NumberText(-150.0f), "-150");
  EXPECT_EQ(NumberText(0.7812f), " .7812");
  EXPECT_EQ(NumberText(16.7f), " 16.7");
  EXPECT_EQ(NumberText(1234567.0f), " 1234567");
  EXPECT_EQ(NumberText(12345678.0f), " 12345680");  // plain decimals, never an exponent
  EXPECT_EQ(NumberText(-1e-5f), "-.00001");
  EXPECT_EQ(NumberTextDouble(1e15), " 1000000000000000");
  EXPECT_EQ(NumberText(0.001f), " .001");
  EXPECT_EQ(NumberTextDouble(0.1), " .1");
  EXPECT_EQ(NumberTextDouble(1.0 / 3.0), " .333333333333333");
  EXPECT_EQ(NumberText(1.0f / 3.0f), " .3333333");
}

TEST(FormatMask, DigitPositionsAndLiterals) {
  EXPECT_EQ(FormatMask(0, "   #0"), "   0");
  EXPECT_EQ(FormatMask(5, "   #0"), "   5");
  EXPECT_EQ(FormatMask(42, "   #0"), "   42");
  EXPECT_EQ(FormatMask(150, " #"), " 150");
  EXPECT_EQ(FormatMask(0, " #"), " ");
  EXPECT_EQ(FormatMask(0.5, "##.#"), ".5");
  EXPECT_EQ(FormatMask(15, "##.#"), "15.");
  EXPECT_EQ(FormatMask(12.34, "##.#"), "12.3");
  EXPECT_EQ(FormatMask(123.4, "##.#"), "123.4");
  EXPECT_EQ(FormatMask(6, "-##.#"), "-6.");
  EXPECT_EQ(FormatMask(-1.5, "##.#"), "-1.5");
  EXPECT_EQ(FormatMask(3.14159, "###.##"), "3.14");
  EXPECT_EQ(FormatMask(0.25, "0.00"), "0.25");
  EXPECT_EQ(FormatMask(2.25, "##.#"), "2.3");  // halves away from zero in a picture
  EXPECT_EQ(FormatMask(-0.04, "##.#"), ".");   // no "-" before a shown zero
  EXPECT_EQ(FormatMask(55.0, "##.##"), "55.");
}

TEST(ParseNumber, AcceptsDecimalFormsOnly) {
  double v;
  EXPECT_TRUE(ParseNumber(" 12.5 ", v));
  EXPECT_EQ(v, 12.5);
  EXPECT_TRUE(ParseNumber(".5", v));
  EXPECT_EQ(v, 0.5);
  EXPECT_TRUE(ParseNumber("-1e3", v));
  EXPECT_EQ(v, -1000);
  EXPECT_TRUE(ParseNumber("+7", v));
  EXPECT_FALSE(ParseNumber("", v));
  EXPECT_FALSE(ParseNumber("abc", v));
  EXPECT_FALSE(ParseNumber("1.2.3", v));
  EXPECT_FALSE(ParseNumber("1e", v));
  EXPECT_FALSE(ParseNumber(".", v));
  EXPECT_FALSE(ParseNumber("1e999", v));
}

TEST(ShortestFloatText, ReadsBackBitForBit) {
  for (float f : {0.1f, 16.7f, 1e-8f, 3.4e38f, -0.25f, 1.0f / 3.0f, 0.0f}) {
    std::string s = ShortestFloatText(f);
    double v;
    ASSERT_TRUE(ParseNumber(s, v)) << s;
    EXPECT_EQ(static_cast<float>(v), f) << s;
  }
  EXPECT_EQ(ShortestFloatText(0.5f), ".5");
  EXPECT_EQ(ShortestFloatText(-0.5f), "-.5");
  EXPECT_EQ(ShortestFloatText(16.7f), "16.7");
  EXPECT_EQ(ShortestFloatText(1e5f), "100000");
  EXPECT_EQ(ShortestFloatText(1e-5f), ".00001");
}
