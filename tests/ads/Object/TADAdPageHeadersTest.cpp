#include "ads/Object/TADAdPageHeaders.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// Server numbers steer the refresh timer: only plain decimals name a period.
TEST(TADAdPageHeadersTest, OnlyAFinitePositiveDecimalNamesARefreshPeriod) {
  const std::string huge = "1" + std::string(400, '0');
  const std::pair<std::string, double> cases[] = {
      {"30", 30},  {"2.5", 2.5}, {" 45\t", 45}, {"0", 0},     {"0.0", 0},  {"abc", 0}, {"nan", 0},
      {"-nan", 0}, {"inf", 0},   {"-1", 0},     {"+5", 0},    {"0x10", 0}, {"1e3", 0}, {"1e3x", 0},
      {"12s", 0},  {".5", 0},    {"5.", 0},     {"1.2.3", 0}, {"1 2", 0},  {huge, 0},  {"", 0},
  };
  for (const auto& [text, seconds] : cases) {
    EXPECT_EQ(TADAdPageHeaders::refreshSecondsFromHeader(text), seconds) << '"' << text << '"';
  }
}

}  // namespace
