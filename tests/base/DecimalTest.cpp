#include "base/Decimal.h"

#include <gtest/gtest.h>

namespace base {
namespace {

std::string roundTrip(std::string_view text) {
  auto decimal = Decimal::fromString(text);
  return decimal ? decimal->toString() : "<none>";
}

TEST(DecimalTest, KeepsTheExactValueOfItsText) {
  EXPECT_EQ(roundTrip("0.1"), "0.1");
  EXPECT_EQ(roundTrip("-12.50"), "-12.5");
  EXPECT_EQ(roundTrip("1E-3"), "0.001");
  EXPECT_EQ(roundTrip("1e3"), "1000");
  EXPECT_EQ(roundTrip("123456789012345678901234567890"), "123456789012345678901234567890");
  EXPECT_EQ(roundTrip("1e400"), "1E+400");
  EXPECT_EQ(roundTrip("-1.25e-300"), "-1.25E-300");
  // Zeros trimmed where the integer and the fraction meet, and digits past the short buffer.
  EXPECT_EQ(roundTrip("0.0012"), "0.0012");
  EXPECT_EQ(roundTrip("100.0100"), "100.01");
  EXPECT_EQ(roundTrip("10.00"), "10");
  EXPECT_EQ(roundTrip("12345678901234567890.123456789012345678900"),
            "12345678901234567890.1234567890123456789");
}

TEST(DecimalTest, NormalisesSoEqualNumbersCompareEqual) {
  EXPECT_EQ(Decimal::fromString("-0"), Decimal());
  EXPECT_EQ(Decimal::fromString("0.000e5"), Decimal());
  EXPECT_EQ(Decimal::fromString("1.50"), Decimal::fromString("15e-1"));
  EXPECT_EQ(Decimal::fromString("100"), Decimal(100));
  // Significands past nineteen digits are held apart, and compare and copy by their digits.
  auto twenty = Decimal::fromString("12345678901234567890.5e1").value();
  EXPECT_EQ(Decimal(twenty), Decimal::fromString("123456789012345678905"));
  EXPECT_NE(twenty, Decimal::fromString("123456789012345678904"));
  EXPECT_EQ(Decimal::fromString("9999999999999999999"),
            Decimal::fromString("99999999999999999990e-1"));
  EXPECT_EQ(roundTrip("9999999999999999999"), "9999999999999999999");
  EXPECT_EQ(twenty.digitCount(), 21u);
  EXPECT_EQ(Decimal::fromString("1000000000000000001")->digitCount(), 19u);
  EXPECT_EQ(Decimal::fromString("99.9")->digitCount(), 3u);
  EXPECT_EQ(Decimal::fromString("-0.000120")->digits(), "12");
}

TEST(DecimalTest, RefusesTextOutsideTheNumberGrammar) {
  for (const char* text :
       {"", "-", "01", "1.", ".5", "1e", "1e+", "+1", "1x", "0x10", "1e99999999999"}) {
    EXPECT_FALSE(Decimal::fromString(text)) << text;
  }
}

TEST(DecimalTest, EveryTextItWritesReadsBack) {
  for (const char* text : {"1e2147483646", "12345e2147483640", "1e-2147483647", "-9.5e-3000",
                           "0.000001", "123456789012345678901234567890e-5"}) {
    auto decimal = Decimal::fromString(text);
    ASSERT_TRUE(decimal) << text;
    EXPECT_EQ(Decimal::fromString(decimal->toString()), decimal) << text;
  }
  EXPECT_FALSE(Decimal::fromString("10e2147483647"));  // normalises past the bound
  EXPECT_FALSE(Decimal::fromString("12345e2147483644"));
}

TEST(DecimalTest, ConvertsToIntegersOnlyWhenWholeAndInRange) {
  EXPECT_EQ(Decimal::fromString("9223372036854775807")->toInt64(), INT64_MAX);
  EXPECT_EQ(Decimal::fromString("-9223372036854775808")->toInt64(), INT64_MIN);
  EXPECT_FALSE(Decimal::fromString("9223372036854775808")->toInt64());
  EXPECT_FALSE(Decimal::fromString("1.5")->toInt64());
  EXPECT_EQ(Decimal::fromString("2.5e1")->toInt64(), 25);
  EXPECT_EQ(Decimal(INT64_MIN).toString(), "-9223372036854775808");
  EXPECT_DOUBLE_EQ(Decimal::fromString("0.1")->toDouble(), 0.1);
}

}  // namespace
}  // namespace base
