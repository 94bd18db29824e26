#include "ads/Addresses/TADNetworkUtilities.h"

#include <gtest/gtest.h>

#include <tuple>

#include "ads/Formats/TADNumberUtilities.h"
#include "tests/support/LibraryStateGuard.h"

namespace {

base::URL url(const char* text) {
  return *base::URL::fromString(text);
}

std::string appended(const char* base, const base::Dictionary& parameters) {
  auto result = TADNetworkUtilities::appendQueryParameters(parameters, url(base));
  return result ? result->absoluteString() : "<none>";
}

TEST(TADNetworkUtilitiesTest, EscapingLeavesOnlyUnreservedCharacters) {
  EXPECT_EQ(TADNetworkUtilities::encodeURL("a b&c"), "a%20b%26c");
  EXPECT_EQ(TADNetworkUtilities::encodeURL("x~y-z_w.v"), "x~y-z_w.v");
  EXPECT_EQ(TADNetworkUtilities::encodeURL("%41"), "%2541");
  EXPECT_EQ(TADNetworkUtilities::encodeURL("!*'();:@&=+$,/?%#[]"),
            "%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D");
  EXPECT_EQ(TADNetworkUtilities::encodeURL("\xc3\xa9"), "%C3%A9");
}

TEST(TADNetworkUtilitiesTest, AppendsPairsAfterTheRightSeparatorAndBeforeAnyFragment) {
  const std::tuple<const char*, base::Dictionary, const char*> cases[] = {
      {"http://a/p", {{"k", "a b&c"}}, "http://a/p?k=a%20b%26c"},
      {"http://a/p?x=1", {{"k", "a b&c"}}, "http://a/p?x=1&k=a%20b%26c"},
      {"http://a/p?", {{"k", "v"}}, "http://a/p??k=v"},  // an empty query is none
      {"http://a/p", {{"n", 5}, {"s", "abc"}}, "http://a/p?n=5&s=abc"},
      {"http://a/p", {}, "http://a/p"},
      {"http://a/p", {{"bad key", "v"}}, "<none>"},  // keys go unescaped
      {"http://a/p#f", {{"k", "v"}}, "http://a/p?k=v#f"},
      {"http://a/p?x=1#f?y=2", {{"k", "v"}}, "http://a/p?x=1&k=v#f?y=2"},
      {"http://a/p#", {{"k", "v"}}, "http://a/p?k=v#"},
      {"http://a/p#f", {}, "http://a/p#f"},
      {"http://a/p?%7e=%41", {{"k", "v"}}, "http://a/p?%7e=%41&k=v"},  // kept byte for byte
  };
  for (const auto& [address, parameters, expected] : cases)
    EXPECT_EQ(appended(address, parameters), expected) << address;
  auto bare = TADNetworkUtilities::appendQueryKey("k", std::nullopt, url("http://a/p"));
  EXPECT_EQ(bare->absoluteString(), "http://a/p?k");
  auto empty = TADNetworkUtilities::appendQueryKey("k", base::Value(""), url("http://a/p?x=1"));
  EXPECT_EQ(empty->absoluteString(), "http://a/p?x=1&k");
}

TEST(TADNetworkUtilitiesTest, ReadsTheFirstRawValueOfAKey) {
  auto value = [](const char* text) {
    return TADNetworkUtilities::parameterValueForKey("ai", url(text)).value_or("<none>");
  };
  EXPECT_EQ(value("http://a/?ai=x%20y&ai=z"), "x%20y");
  EXPECT_EQ(value("http://a/?AI=x"), "<none>");
  EXPECT_EQ(value("http://a/?ai&ai=2"), "2");
  EXPECT_EQ(value("http://a/?ai=a=b"), "a");
  EXPECT_EQ(value("http://a/?ai="), "");
  EXPECT_EQ(value("http://a/"), "<none>");
  EXPECT_EQ(value("http://a/?&&&"), "<none>");
}

TEST(TADNetworkUtilitiesTest, ParsesQueriesDroppingWhatCannotBeRead) {
  base::Dictionary parsed =
      TADNetworkUtilities::dictionaryFromQueryString("A=1;b=2&&c=%41&d&e=1=2");
  EXPECT_EQ(parsed, (base::Dictionary{{"a", "1"}, {"b", "2"}, {"c", "A"}}));
  EXPECT_TRUE(TADNetworkUtilities::dictionaryFromQueryString(std::nullopt).empty());
  EXPECT_EQ(TADNetworkUtilities::dictionaryFromQueryString("a=1&a=2"),
            (base::Dictionary{{"a", "2"}}));
  EXPECT_EQ(TADNetworkUtilities::dictionaryFromQueryString("to=a+b&x=%zz&y=%4&z=%FF&ok=1"),
            (base::Dictionary{{"to", "a+b"}, {"ok", "1"}}));
  EXPECT_EQ(TADNetworkUtilities::dictionaryFromQueryString("%C3%89T%C3%89=%C3%89"),
            (base::Dictionary{{"\xc3\xa9t\xc3\xa9", "\xc3\x89"}}));
  EXPECT_EQ(TADNetworkUtilities::dictionaryFromQueryString(";;;&&& ; "), base::Dictionary{});
  EXPECT_EQ(TADNetworkUtilities::dictionaryFromQueryString(" subject=Hi there"),
            (base::Dictionary{{"subject", "Hi there"}}));
}

TEST(TADNetworkUtilitiesTest, AnEmptyUserAgentChangesNothingAndANewOneReplacesTheOld) {
  test_support::LibraryStateGuard state;
  TADNetworkUtilities::setUserAgentString("Agent/1");
  TADNetworkUtilities::setUserAgentString("");
  EXPECT_EQ(TADNetworkUtilities::userAgentString(), "Agent/1");
  TADNetworkUtilities::setUserAgentString("Agent/2");
  EXPECT_EQ(TADNetworkUtilities::userAgentString(), "Agent/2");
}

TEST(TADNumberUtilitiesTest, DropsOnlyTrailingZerosAfterThePoint) {
  const std::pair<float, const char*> cases[] = {
      {1.5f, "1.5"},       {2.0f, "2"},       {0.0f, "0"},
      {0.1f, "0.1"},       {12.25f, "12.25"}, {100.0f, "100"},
      {-0.0000001f, "-0"}, {37.5f, "37.5"},   {-122.25f, "-122.25"},
  };
  for (const auto& [value, text] : cases)
    EXPECT_EQ(TADNumberUtilities::stringWithFloat(value), text);
  EXPECT_EQ(TADNumberUtilities::stringWithFloat(1.0f / 0.0f), "inf");
}

}  // namespace
