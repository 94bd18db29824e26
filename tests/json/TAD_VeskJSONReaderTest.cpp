#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json/TAD_VeskJSON.h"
#include "tests/json/ErrorChain.h"

namespace {

using base::Array;
using base::Decimal;
using base::Dictionary;
using base::Value;
using testing::ElementsAre;

using Chain = std::vector<std::string>;

// The chain of errors that reading text reports; empty when it reads.
Chain failureOf(const std::string& text, bool allowScalar = true,
                uint32_t maxDepth = TAD_VeskJSON::kDefaultMaxDepth) {
  TAD_VeskJSON json;
  json.setMaxDepth(maxDepth);
  base::Error error;
  std::optional<Value> value = json.objectWithString(text, allowScalar, &error);
  if (value) return {};
  return chainOf(error);
}

Value fragment(const std::string& text) {
  TAD_VeskJSON json;
  base::Error error;
  std::optional<Value> value = json.fragmentWithString(text, &error);
  EXPECT_TRUE(value) << text << ": " << error.description();
  return value.value_or(Value("<unread>"));
}

Decimal decimal(const char* text) {
  return Decimal::fromString(text).value();
}

TEST(VeskJSONReaderTest, RootMustBeAContainerUnlessFragmentsAreAllowed) {
  TAD_VeskJSON json;
  base::Error error;
  EXPECT_FALSE(json.objectWithString("42", &error));
  EXPECT_THAT(chainOf(error), ElementsAre("4: Valid fragment, but not JSON"));
  EXPECT_EQ(error.domain(), TAD_VeskJSONErrorDomain);
  EXPECT_FALSE(json.objectWithString(" 42 \n"));
  EXPECT_EQ(json.fragmentWithString(" 42 \n"), Value(42));
  EXPECT_EQ(json.objectWithString("[42]"), Value(Array{42}));
  EXPECT_EQ(json.objectWithString("{}"), Value(Dictionary{}));
}

TEST(VeskJSONReaderTest, ReportsMissingAndEndedInput) {
  EXPECT_THAT(failureOf(""), ElementsAre("11: Unexpected end of string"));
  EXPECT_THAT(failureOf(" \t\r\n\v\f"), ElementsAre("11: Unexpected end of string"));
  EXPECT_THAT(failureOf("42 x"), ElementsAre("10: Garbage after JSON"));
  EXPECT_THAT(failureOf("nullx"), ElementsAre("10: Garbage after JSON"));

  TAD_VeskJSON json;
  base::Error error;
  EXPECT_FALSE(json.objectWithString(static_cast<const char*>(nullptr), &error));
  EXPECT_THAT(chainOf(error), ElementsAre("12: Input was 'nil'"));
}

TEST(VeskJSONReaderTest, RefusesTextThatIsNotUtf8AsMissingInput) {
  // Wherever the bad bytes are: in a string, where a value is expected, or after the value.
  EXPECT_THAT(failureOf("[\"\xff\"]"), ElementsAre("12: Input was 'nil'"));
  EXPECT_THAT(failureOf("[\xc3]"), ElementsAre("12: Input was 'nil'"));
  EXPECT_THAT(failureOf("[1] \xed\xa0\x80"), ElementsAre("12: Input was 'nil'"));
  EXPECT_THAT(failureOf("[\"a long run of text \xe2\x82\"]"), ElementsAre("12: Input was 'nil'"));
  EXPECT_THAT(failureOf("[\"\\n escaped, then \xf4\x90\x80\x80\"]"),
              ElementsAre("12: Input was 'nil'"));
  EXPECT_THAT(failureOf(std::string("[1]\0\xff", 5)), ElementsAre("12: Input was 'nil'"));
  // Well-formed text outside a string is judged by the grammar.
  EXPECT_THAT(failureOf("\xc3\xa9"), ElementsAre("3: Unrecognised leading character"));
}

TEST(VeskJSONReaderTest, NulEndsTheInput) {
  EXPECT_EQ(fragment(std::string("[1]\0[2", 6)), Value(Array{1}));
  EXPECT_THAT(failureOf(std::string("[1,\0 2]", 7)),
              ElementsAre("11: End of input while parsing array"));
}

TEST(VeskJSONReaderTest, CommasBetweenMembersAndElementsMayBeLeftOut) {
  EXPECT_EQ(fragment("[1 2]"), Value(Array{1, 2}));
  EXPECT_EQ(fragment("[truefalse\"x\"null]"), Value(Array{true, false, "x", nullptr}));
  EXPECT_EQ(fragment("{\"a\":1 \"b\":2}"), Value(Dictionary{{"a", 1}, {"b", 2}}));
  EXPECT_EQ(fragment(" [ 1 , [ ] , { } ] "), Value(Array{1, Array{}, Dictionary{}}));
}

TEST(VeskJSONReaderTest, RefusesTrailingCommasAndUnclosedContainers) {
  EXPECT_THAT(failureOf("[1,]"), ElementsAre("9: Trailing comma disallowed in array"));
  EXPECT_THAT(failureOf("[1, \n]"), ElementsAre("9: Trailing comma disallowed in array"));
  EXPECT_THAT(failureOf("{\"a\":1,}"), ElementsAre("9: Trailing comma disallowed in object"));
  EXPECT_THAT(failureOf("[1,"), ElementsAre("11: End of input while parsing array"));
  EXPECT_THAT(failureOf("["), ElementsAre("11: End of input while parsing array"));
  EXPECT_THAT(failureOf("{"), ElementsAre("11: End of input while parsing object"));
  EXPECT_THAT(failureOf("{\"a\":1"), ElementsAre("11: End of input while parsing object"));
  EXPECT_THAT(failureOf("[ "),
              ElementsAre("3: Expected value while parsing array", "11: Unexpected end of string"));
}

TEST(VeskJSONReaderTest, ReportsMalformedObjects) {
  EXPECT_THAT(failureOf("{\"a\" 1}"), ElementsAre("3: Expected ':' separating key and value"));
  EXPECT_THAT(failureOf("{\"a\":}"), ElementsAre("3: Object value expected for key: a",
                                                 "3: Unrecognised leading character"));
  EXPECT_THAT(failureOf("{1:2}"), ElementsAre("3: Object key string expected"));
  EXPECT_THAT(failureOf("{\"a\tb\":2}"),
              ElementsAre("3: Object key string expected", "5: Unescaped control character '0x9'"));
}

TEST(VeskJSONReaderTest, ChainsOneErrorPerLevelOfNesting) {
  EXPECT_THAT(
      failureOf("[[[x]]]"),
      ElementsAre("3: Expected value while parsing array", "3: Expected value while parsing array",
                  "3: Expected value while parsing array", "3: Unrecognised leading character"));
  EXPECT_THAT(
      failureOf("{\"k\":[{\"j\":\"\\q\"}]}"),
      ElementsAre("3: Object value expected for key: k", "3: Expected value while parsing array",
                  "3: Object value expected for key: j", "8: Illegal escape sequence '0x71'"));
}

TEST(VeskJSONReaderTest, KeepsTheLaterValueOfADuplicateKey) {
  Value value = fragment("{\"a\":1,\"b\":2,\"a\":3}");
  ASSERT_TRUE(value.isDictionary());
  EXPECT_EQ(value.asDictionary()->size(), 2u);
  EXPECT_EQ(*value.find("a"), Value(3));
}

TEST(VeskJSONReaderTest, ReadsLiteralsStrictly) {
  EXPECT_EQ(fragment("[null,true,false]"), Value(Array{nullptr, true, false}));
  EXPECT_THAT(failureOf("nul"), ElementsAre("3: Expected 'null'"));
  EXPECT_THAT(failureOf("tru"), ElementsAre("3: Expected 'true'"));
  EXPECT_THAT(failureOf("fals"), ElementsAre("3: Expected 'false'"));
  EXPECT_THAT(failureOf("True"), ElementsAre("3: Unrecognised leading character"));
}

TEST(VeskJSONReaderTest, RefusesMalformedNumbers) {
  EXPECT_THAT(failureOf("01"), ElementsAre("2: Leading 0 disallowed in number"));
  EXPECT_THAT(failureOf("-"), ElementsAre("2: No digits after initial minus"));
  EXPECT_THAT(failureOf("-a"), ElementsAre("2: No digits after initial minus"));
  EXPECT_THAT(failureOf("1."), ElementsAre("2: No digits after decimal point"));
  EXPECT_THAT(failureOf("1e"), ElementsAre("2: No digits after exponent"));
  EXPECT_THAT(failureOf("1e+"), ElementsAre("2: No digits after exponent"));
  EXPECT_THAT(failureOf("+1"), ElementsAre("2: Leading + disallowed in number"));
  EXPECT_THAT(failureOf(".5"), ElementsAre("3: Unrecognised leading character"));
  // Exponents the decimal type cannot hold, also when digits and exponent only add up to it.
  EXPECT_THAT(failureOf("1e9999999999"), ElementsAre("2: Failed creating decimal instance"));
  EXPECT_THAT(failureOf("10e2147483647"), ElementsAre("2: Failed creating decimal instance"));
  EXPECT_THAT(failureOf("0.01e-2147483647"), ElementsAre("2: Failed creating decimal instance"));
}

TEST(VeskJSONReaderTest, KeepsTheExactValueOfNumberText) {
  EXPECT_EQ(fragment("-0"), Value(0));
  EXPECT_EQ(fragment("0.5"), Value(decimal("0.5")));
  EXPECT_EQ(fragment("1E-3"), Value(decimal("0.001")));
  EXPECT_EQ(fragment("0.1").asDecimal()->toString(), "0.1");
  EXPECT_EQ(fragment("1e400").asDecimal()->toString(), "1E+400");
  EXPECT_EQ(fragment("123456789012345678901234567890").asDecimal()->toString(),
            "123456789012345678901234567890");
  EXPECT_EQ(fragment("1e2147483647").asDecimal()->exponent(), 2147483647);
}

TEST(VeskJSONReaderTest, ReadsIntegersThatFitAsIntegers) {
  EXPECT_EQ(fragment("9223372036854775807").kind(), Value::Kind::Integer);
  EXPECT_EQ(fragment("9223372036854775807").toInt64(), INT64_MAX);
  EXPECT_EQ(fragment("-9223372036854775808").toInt64(), INT64_MIN);
  EXPECT_EQ(fragment("9223372036854775808").asDecimal()->toString(), "9223372036854775808");
  EXPECT_EQ(fragment("-9223372036854775809").asDecimal()->toString(), "-9223372036854775809");
  EXPECT_EQ(fragment("9999999999999999999").asDecimal()->toString(), "9999999999999999999");
  EXPECT_EQ(fragment("18446744073709551617").asDecimal()->toString(), "18446744073709551617");
  EXPECT_EQ(fragment("1.0"), Value(1));
}

TEST(VeskJSONReaderTest, DecodesEscapes) {
  EXPECT_EQ(fragment(R"("a\"b\\c\/d\be\ff\ng\rh\ti")"), Value("a\"b\\c/d\be\ff\ng\rh\ti"));
  EXPECT_EQ(fragment(R"("\u00e9\u20AC\u0041")"), Value("\xc3\xa9\xe2\x82\xac"
                                                       "A"));
  EXPECT_EQ(fragment(R"("\u0000")"), Value(std::string(1, '\0')));
  EXPECT_EQ(fragment(R"("\ud834\udd1e")"), Value("\xf0\x9d\x84\x9e"));
  EXPECT_EQ(fragment(R"("\uD834\uDFFF")"), Value("\xf0\x9d\x8f\xbf"));
  EXPECT_EQ(fragment("\"plain \xc3\xa9 text\""), Value("plain \xc3\xa9 text"));
}

TEST(VeskJSONReaderTest, RefusesBadStringContent) {
  EXPECT_THAT(failureOf("\"a\tb\""), ElementsAre("5: Unescaped control character '0x9'"));
  EXPECT_THAT(failureOf("\"\x1f\""), ElementsAre("5: Unescaped control character '0x1f'"));
  EXPECT_THAT(failureOf(R"("\x")"), ElementsAre("8: Illegal escape sequence '0x78'"));
  EXPECT_THAT(failureOf("\"\\\xc3\xa9\""), ElementsAre("8: Illegal escape sequence '0xffc3'"));
  EXPECT_THAT(failureOf("\"abc"), ElementsAre("5: Unescaped control character '0x0'"));
  EXPECT_THAT(failureOf("\"abc\\n"), ElementsAre("11: Unexpected EOF while parsing string"));
  EXPECT_THAT(failureOf("\"abc\\"), ElementsAre("8: Illegal escape sequence '0x0'"));
}

TEST(VeskJSONReaderTest, RefusesBrokenUnicodeEscapes) {
  EXPECT_THAT(failureOf(R"("\udd1e")"), ElementsAre("6: Broken unicode character",
                                                    "6: Invalid high character in surrogate pair"));
  EXPECT_THAT(failureOf(R"("\ud834x")"), ElementsAre("6: Broken unicode character",
                                                     "6: Missing low character in surrogate pair"));
  EXPECT_THAT(
      failureOf(R"("\ud834\u12x4")"),
      ElementsAre("6: Broken unicode character", "6: Missing low character in surrogate pair",
                  "6: Missing hex digit in quad"));
  EXPECT_THAT(failureOf(R"("\ud834\u0041")"),
              ElementsAre("6: Broken unicode character", "6: Invalid low surrogate char"));
  EXPECT_THAT(failureOf(R"("\u12")"),
              ElementsAre("6: Broken unicode character", "6: Missing hex quad"));
  EXPECT_THAT(failureOf(R"("\u")"),
              ElementsAre("6: Broken unicode character", "6: Missing hex quad"));
}

std::string nestedArrays(size_t depth) {
  return std::string(depth, '[') + std::string(depth, ']');
}

TEST(VeskJSONReaderTest, LimitsNestingToMaxDepth) {
  EXPECT_THAT(failureOf("[[1]]", false, 1),
              ElementsAre("3: Expected value while parsing array", "7: Nested too deep"));
  EXPECT_THAT(failureOf("{\"a\":{}}", false, 1),
              ElementsAre("3: Object value expected for key: a", "7: Nested too deep"));
  EXPECT_THAT(failureOf(nestedArrays(512), false), ElementsAre());
  Chain refused = failureOf(nestedArrays(513), false);
  ASSERT_EQ(refused.size(), 513u);
  EXPECT_EQ(refused.back(), "7: Nested too deep");
  EXPECT_THAT(failureOf(nestedArrays(2000), false, 0), ElementsAre());
}

TEST(VeskJSONReaderTest, StopsUnlimitedNestingAtTheSafetyLimitInsteadOfExhaustingTheStack) {
  constexpr size_t kLimit = TAD_VeskJSON::kNestingSafetyLimit;
  EXPECT_THAT(failureOf(nestedArrays(kLimit), false, 0), ElementsAre());
  EXPECT_THAT(failureOf(nestedArrays(kLimit), false, kLimit + 1), ElementsAre());

  for (uint32_t maxDepth : {0u, UINT32_MAX}) {
    Chain refused = failureOf(std::string(10'000'000, '['), false, maxDepth);
    ASSERT_EQ(refused.size(), kLimit + 1);
    EXPECT_EQ(refused.back(), "7: Nested too deep");
  }
}

TEST(VeskJSONReaderTest, LeavesNoStateFromAFailedCallBehind) {
  TAD_VeskJSON json;
  json.setMaxDepth(3);
  EXPECT_FALSE(json.objectWithString("[[[x"));
  EXPECT_FALSE(json.objectWithString("[[{\"a\":1 2"));
  EXPECT_TRUE(json.objectWithString("[[[1]]]"));
}

}  // namespace
