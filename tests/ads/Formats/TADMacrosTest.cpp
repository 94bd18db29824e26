#include "ads/Formats/TADMacros.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "ads/Device/TADLocation.h"
#include "ads/Formats/TADNumberUtilities.h"
#include "ads/Formats/TADPropertyListReader.h"
#include "ads/Object/TADAdPageHeaders.h"
#include "base/NumberText.h"
#include "platform/plist/PlistReading.h"
#include "platform/sim/SimPlatform.h"

namespace {

using base::Array;
using base::Dictionary;
using base::Value;

TEST(TADMacrosTest, ReadJsonAnswersOnlyDictionaries) {
  EXPECT_EQ(TADMacros::readJson(R"({"a":[1,"x"],"b":{}})"),
            (Dictionary{{"a", Array{1, "x"}}, {"b", Dictionary{}}}));
  EXPECT_EQ(TADMacros::readJson(std::nullopt), std::nullopt);
  EXPECT_EQ(TADMacros::readJson("[1,2]"), std::nullopt);
  EXPECT_EQ(TADMacros::readJson("\"text\""), std::nullopt);
  EXPECT_EQ(TADMacros::readJson(R"({"a":1,})"), std::nullopt);
  EXPECT_EQ(TADMacros::readJson(""), std::nullopt);
}

TEST(TADMacrosTest, JsonifyWritesCompactTextAndEmptyTextOnError) {
  Value parameters = Dictionary{{"u", "a b/c"}, {"n", 3}, {"t", true}};
  EXPECT_EQ(TADMacros::jsonify(&parameters), R"({"u":"a b/c","n":3,"t":true})");
  Value array = Array{nullptr};
  EXPECT_EQ(TADMacros::jsonify(&array), "[null]");
  EXPECT_EQ(TADMacros::jsonify(nullptr), std::nullopt);
  Value scalar = "text";
  EXPECT_EQ(TADMacros::jsonify(&scalar), "");
  Value unwritable = Dictionary{{"x", std::nan("")}};
  EXPECT_EQ(TADMacros::jsonify(&unwritable), "");
}

// The desktop toolkit takes the locale from the environment at start-up, LC_NUMERIC included.
// The numbers the library writes for the page script and reads from servers and files keep
// their point all the same.
TEST(TADMacrosTest, NumbersKeepTheirPointUnderADecimalCommaLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
    GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed (Debian package locales-all)";
  }
  struct Restore {
    const std::string& locale;
    ~Restore() { std::setlocale(LC_ALL, locale.c_str()); }
  } restore{previous};
  platform::sim::SimPlatform platform;
  platform::Platform::current().propertyLists = std::make_shared<platform::plist::PlistReading>();

  Value parameters = Dictionary{{"d", 0.5}, {"f", Value(1.25f)}, {"e", 1e-7}, {"n", 3}};
  EXPECT_EQ(TADMacros::jsonify(&parameters), R"({"d":0.5,"f":1.25,"e":1e-07,"n":3})");
  EXPECT_EQ(TADNumberUtilities::stringWithFloat(2.5f), "2.5");
  EXPECT_EQ(TADLocation::initWithLatitude(52.5f, 13.25f, 10)->description(), "52.500000,13.250000");
  platform::HTTPHeaderFields fields{{"X-Avmo-Interstitial-Timeout", "2.5"}};
  EXPECT_EQ(TADAdPageHeaders(fields).interstitialTimeout(), 2.5f);
  EXPECT_EQ(
      TADPropertyListReader::valueWithBytes(
          R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><real>1.5</real></plist>)"),
      Value(1.5));
  EXPECT_EQ(base::leadingDecimal("0.25"), 0.25);
}

}  // namespace
