#include "base/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(NumberTextTest, LeadingDecimalReadsTheNumberAtTheStartAndNoWords) {
  const std::pair<const char*, double> cases[] = {
      {"30", 30},
      {"30s", 30},
      {" \t2.5x", 2.5},
      {".5", 0.5},
      {"5.", 5},
      {"+5", 5},
      {"-0.25", -0.25},
      {"1e3", 1000},
      {"1E-2s", 0.01},
      {"2e", 2},
      {"2e+", 2},
      {"007.50", 7.5},
      {"1e0000000000000002", 100},
      {"abc", 0},
      {"", 0},
      {".", 0},
      {"-", 0},
      {"inf", 0},
      {"nan", 0},
      {"0x10", 0},
      {"1e999", kInfinity},
      {"-1e999", -kInfinity},
      {"1e-999", 0},
      {"0.1", 0.1},
      {"9007199254740993", 9007199254740992},
  };
  for (const auto& [text, value] : cases)
    EXPECT_EQ(base::leadingDecimal(text), value) << text;
}

TEST(NumberTextTest, DecimalFromTextTakesOnlyAWholeFiniteNumber) {
  const std::pair<const char*, std::optional<double>> cases[] = {
      {"2.5", 2.5},
      {"+3", 3},
      {"-0.5", -0.5},
      {"1e2", 100},
      {" 2", std::nullopt},
      {"2 ", std::nullopt},
      {"2e", std::nullopt},
      {"inf", std::nullopt},
      {"", std::nullopt},
      {"0x1p3", std::nullopt},
      {"1e999", std::nullopt},
  };
  for (const auto& [text, value] : cases)
    EXPECT_EQ(base::decimalFromText(text), value) << text;
}

TEST(NumberTextTest, FixedPointWritesAsPrintfDoesInTheCLocale) {
  const std::tuple<double, int, const char*> cases[] = {
      {1.5, 6, "1.500000"},
      {2, 0, "2"},
      {2.5, 0, "2"},
      {-0.125, 2, "-0.12"},
      {1e20, 1, "100000000000000000000.0"},
      {kInfinity, 6, "inf"},
      {-kInfinity, 0, "-inf"},
      {std::nan(""), 3, "nan"},
  };
  for (const auto& [value, decimals, text] : cases)
    EXPECT_EQ(base::fixedPoint(value, decimals), text) << text;
}

}  // namespace
