#include "ads/Object/TADAdPageHeaders.h"

#include <gtest/gtest.h>

#include <limits>

#include <string>
#include <tuple>

#include "base/NumberText.h"

namespace {

// The leading decimal number of the text, in any locale; only a finite one above 0 names a
// refresh period (the timer then applies its floor).
TEST(TADAdPageHeadersTest, TheLeadingDecimalNumberNamesARefreshPeriodWhenFiniteAndPositive) {
  const std::string huge = "1" + std::string(400, '0');
  constexpr double kInf = std::numeric_limits<double>::infinity();
  // text, its leading number, the period it names
  // clang-format off
  const std::tuple<std::string, double, double> cases[] = {
      {"30", 30, 30},          {"2.5", 2.5, 2.5},       {" 45\t", 45, 45},       {"\t 7;x", 7, 7},
      {"30s", 30, 30},         {"12 s", 12, 12},        {".5", 0.5, 0.5},        {"5.", 5, 5},
      {"+5", 5, 5},            {"1e3", 1000, 1000},     {"1E-1x", 0.1, 0.1},     {"1e", 1, 1},
      {"2e+", 2, 2},           {"1.2.3", 1.2, 1.2},     {"1,5", 1, 1},           {"00030", 30, 30},
      {"0.001", 0.001, 0.001}, {"0", 0, 0},             {"0.0", 0, 0},           {"-1", -1, 0},
      {"-.5", -0.5, 0},        {"abc", 0, 0},           {"nan", 0, 0},           {"-nan", 0, 0},
      {"inf", 0, 0},           {"infinity", 0, 0},      {"0x10", 0, 0},          {".", 0, 0},
      {"+", 0, 0},             {"+-5", 0, 0},           {"e5", 0, 0},            {"\xd9\xa3", 0, 0},
      {huge, kInf, 0},         {"1e400", kInf, 0},         {"1e-400", 0, 0},        {"", 0, 0},
      {" ", 0, 0},
  };
  // clang-format on
  for (const auto& [text, number, seconds] : cases) {
    EXPECT_EQ(base::leadingDecimal(text), number) << '"' << text << '"';
    EXPECT_EQ(TADAdPageHeaders::refreshSecondsFromHeader(text), seconds) << '"' << text << '"';
  }
}

}  // namespace
