#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Utf8Validator.h"
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
  // No text at all is missing input.
  EXPECT_FALSE(json.objectWithString(static_cast<const char*>(nullptr), &error));
  EXPECT_THAT(chainOf(error), ElementsAre("12: Input was 'nil'"));
}

// Each refused text with the chain of errors it reports, outermost first.
struct Refusal {
  std::string text;
  Chain chain;
};

TEST(VeskJSONReaderTest, RefusesMalformedTextWithTheChainOfItsErrors) {
  const std::string kNil = "12: Input was 'nil'";
  const std::string kInArray = "3: Expected value while parsing array";
  const std::string kBroken = "6: Broken unicode character";
  const Refusal kRefusals[] = {
      // Missing and ended input.
      {"", {"11: Unexpected end of string"}},
      {" \t\r\n\v\f", {"11: Unexpected end of string"}},
      {"42 x", {"10: Garbage after JSON"}},
      {"nullx", {"10: Garbage after JSON"}},
      {std::string("[1,\0 2]", 7), {"11: End of input while parsing array"}},
      // Text that is not UTF-8, wherever the bad bytes are, is refused as missing input.
      {"[\"\xff\"]", {kNil}},
      {"[\xc3]", {kNil}},
      {"[1] \xed\xa0\x80", {kNil}},
      {"[\"a long run of text \xe2\x82\"]", {kNil}},
      {"[\"\\n escaped, then \xf4\x90\x80\x80\"]", {kNil}},
      {std::string("[1]\0\xff", 5), {kNil}},
      {"\xc3\xa9", {"3: Unrecognised leading character"}},  // well-formed: judged by grammar
      // Trailing commas and unclosed containers.
      {"[1,]", {"9: Trailing comma disallowed in array"}},
      {"[1, \n]", {"9: Trailing comma disallowed in array"}},
      {"{\"a\":1,}", {"9: Trailing comma disallowed in object"}},
      {"[1,", {"11: End of input while parsing array"}},
      {"[", {"11: End of input while parsing array"}},
      {"{", {"11: End of input while parsing object"}},
      {"{\"a\":1", {"11: End of input while parsing object"}},
      {"[ ", {kInArray, "11: Unexpected end of string"}},
      // Malformed objects.
      {"{\"a\" 1}", {"3: Expected ':' separating key and value"}},
      {"{\"a\":}", {"3: Object value expected for key: a", "3: Unrecognised leading character"}},
      {"{1:2}", {"3: Object key string expected"}},
      {"{\"a\tb\":2}", {"3: Object key string expected", "5: Unescaped control character '0x9'"}},
      // One error per level of nesting.
      {"[[[x]]]", {kInArray, kInArray, kInArray, "3: Unrecognised leading character"}},
      {"{\"k\":[{\"j\":\"\\q\"}]}",
       {"3: Object value expected for key: k", kInArray, "3: Object value expected for key: j",
        "8: Illegal escape sequence '0x71'"}},
      {"{\"\\u00e9\":[x]}",
       {"3: Object value expected for key: \xc3\xa9", kInArray,
        "3: Unrecognised leading character"}},
      // Literals are strict.
      {"nul", {"3: Expected 'null'"}},
      {"tru", {"3: Expected 'true'"}},
      {"fals", {"3: Expected 'false'"}},
      {"True", {"3: Unrecognised leading character"}},
      // Numbers.
      {"01", {"2: Leading 0 disallowed in number"}},
      {"-", {"2: No digits after initial minus"}},
      {"-a", {"2: No digits after initial minus"}},
      {"1.", {"2: No digits after decimal point"}},
      {"[                    1.x                    ]",
       {kInArray, "2: No digits after decimal point"}},
      {"[                    1.5e                    ]", {kInArray, "2: No digits after exponent"}},
      {"1e", {"2: No digits after exponent"}},
      {"1e+", {"2: No digits after exponent"}},
      {"+1", {"2: Leading + disallowed in number"}},
      {".5", {"3: Unrecognised leading character"}},
      // Exponents the decimal type cannot hold, also when digits and exponent only add up to it.
      {"1e9999999999", {"2: Failed creating decimal instance"}},
      {"10e2147483647", {"2: Failed creating decimal instance"}},
      {"0.01e-2147483647", {"2: Failed creating decimal instance"}},
      // String content.
      {"\"a\tb\"", {"5: Unescaped control character '0x9'"}},
      {"\"\x1f\"", {"5: Unescaped control character '0x1f'"}},
      {R"("\x")", {"8: Illegal escape sequence '0x78'"}},
      {"\"\\\xc3\xa9\"", {"8: Illegal escape sequence '0xffc3'"}},
      {"\"abc", {"5: Unescaped control character '0x0'"}},
      {"\"abc\\n", {"11: Unexpected EOF while parsing string"}},
      {"\"abc\\", {"8: Illegal escape sequence '0x0'"}},
      // Unicode escapes.
      {R"("\udd1e")", {kBroken, "6: Invalid high character in surrogate pair"}},
      {R"("\ud834x")", {kBroken, "6: Missing low character in surrogate pair"}},
      {R"("\ud834\u12x4")",
       {kBroken, "6: Missing low character in surrogate pair", "6: Missing hex digit in quad"}},
      {R"("\ud834\u0041")", {kBroken, "6: Invalid low surrogate char"}},
      {R"("\u12")", {kBroken, "6: Missing hex quad"}},
      {R"("\u")", {kBroken, "6: Missing hex quad"}},
  };
  for (const Refusal& refusal : kRefusals)
    EXPECT_EQ(failureOf(refusal.text), refusal.chain) << refusal.text;
}

// The offset a failed reading reports is the first byte that does not fit, so that a tool can
// point at it; a reading that succeeds leaves it alone.
TEST(VeskJSONReaderTest, ReportsWhereAFailedReadingStopped) {
  const std::pair<std::string, size_t> kStops[] = {
      {"[x]", 1},
      {"{\"a\":\n +1}", 7},
      {"[1,]", 3},
      {"{\"a\" 1}", 5},
      {"[\"ab\x01\"]", 4},
      {"[1 2", 4},
      {"[] x", 3},
      {"  ", 2},
      {"[                    1.x                    ]", 23},
  };
  for (const auto& [text, offset] : kStops) {
    size_t stopped = 99;
    EXPECT_FALSE(TAD_VeskJSON().objectWithString(text, false, nullptr, &stopped)) << text;
    EXPECT_EQ(stopped, offset) << text;
  }
  size_t untouched = 99;
  EXPECT_TRUE(TAD_VeskJSON().objectWithString("[1]", false, nullptr, &untouched));
  EXPECT_EQ(untouched, 99u);
}

// Each text that reads with the value it reads to.
struct Reading {
  std::string text;
  Value value;
};

TEST(VeskJSONReaderTest, ReadsEachKindOfValue) {
  const Reading kReadings[] = {
      // A NUL ends the input; commas between members and elements may be left out.
      {std::string("[1]\0[2", 6), Array{1}},
      {"[1 2]", Array{1, 2}},
      {"[truefalse\"x\"null]", Array{true, false, "x", nullptr}},
      {"{\"a\":1 \"b\":2}", Dictionary{{"a", 1}, {"b", 2}}},
      {" [ 1 , [ ] , { } ] ", Array{1, Array{}, Dictionary{}}},
      {"[null,true,false]", Array{nullptr, true, false}},
      // Numbers keep the exact value of their text; integers that fit stay integers.
      {"-0", 0},
      {"0.5", decimal("0.5")},
      {"1E-3", decimal("0.001")},
      {"1.0", decimal("1")},
      {"9223372036854775807", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      // Escapes.
      {R"("a\"b\\c\/d\be\ff\ng\rh\ti")", "a\"b\\c/d\be\ff\ng\rh\ti"},
      {R"("\u00e9\u20AC\u0041")",
       "\xc3\xa9\xe2\x82\xac"
       "A"},
      {R"("\u0000")", std::string(1, '\0')},
      {R"("\ud834\udd1e")", "\xf0\x9d\x84\x9e"},
      {R"("\uD834\uDFFF")", "\xf0\x9d\x8f\xbf"},
      {"\"plain \xc3\xa9 text\"", "plain \xc3\xa9 text"},
  };
  for (const Reading& reading : kReadings) {
    Value value = fragment(reading.text);
    EXPECT_EQ(value, reading.value) << reading.text;
    EXPECT_EQ(value.kind(), reading.value.kind()) << reading.text;
  }
}

// Strings are checked as UTF-8 many bytes at a time; wherever a character falls among those
// blocks — near the end of the text or not, in keys and after escapes alike — a string reads
// exactly when its bytes are UTF-8.
TEST(VeskJSONReaderTest, ChecksUtf8WhereverTheScanSplitsTheText) {
  const std::string kSequences[] = {
      "\xc2\x80", "\xdf\xbf", "\xe0\xa0\x80", "\xed\x9f\xbf", "\xee\x80\x80", "\xf0\x90\x80\x80",
      "\xf4\x8f\xbf\xbf", "\xc3\xa9\xe6\x97\xa5\xf0\x9f\x8e\xb5\xc3\xa9",
      // Malformed: overlong, surrogate, beyond U+10FFFF, cut off, a stray continuation.
      "\xc0\x80", "\xc1\xbf", "\xe0\x9f\xbf", "\xf0\x8f\xbf\xbf", "\xed\xa0\x80",
      "\xf4\x90\x80\x80", "\xf5\x80\x80\x80", "\xc3", "\xe6\x97", "\xf0\x9f\x8e", "\x80",
      "\xc3\xa9\xa9", "\xe6\xc3\xa9", "\xf0\x9f\x8e\xb5\xb5"};
  const std::string kFar = "\"" + std::string(20, 'x') + "\"";
  for (const std::string& sequence : kSequences) {
    bool wellFormed = base::Utf8Validator::isValid(sequence);
    for (size_t offset = 0; offset < 34; ++offset) {
      std::string text = std::string(offset, 'a') + sequence + std::string(offset % 5, 'b');
      for (const std::string& escape : {std::string(), std::string("\\n")}) {
        std::string read = escape.empty() ? text : "\n" + text;
        std::string string = "\"" + escape + text + "\"";
        for (const std::string& json : {"[" + string + "]", "[" + string + "," + kFar + "]",
                                        "{" + string + ":" + kFar + "}"}) {
          std::optional<Value> value = TAD_VeskJSON().objectWithString(json);
          ASSERT_EQ(value.has_value(), wellFormed) << json;
          if (!value) continue;
          EXPECT_TRUE(value->isArray() ? value->asArray()->front() == Value(read)
                                       : value->find(read) != nullptr)
              << json;
        }
      }
    }
  }
}

// Short numbers are gathered as they are scanned, longer ones read from their text: both ways
// give the same normalised decimal, on either side of where one gives way to the other. Integers
// beyond 64 bits keep every digit. A fraction with room around it in the text is gathered in
// blocks, so each number is read alone and with white space around it.
TEST(VeskJSONReaderTest, ReadsDecimalsAsTheirTextReads) {
  // Exponents, zeros, and the edges of 64 bits and of 19 digits.
  const char* const kTexts[] = {
      "1.500", "-0.0", "0.000e7", "-0.00e5", "100e-2", "-1.0e1", "0.0001250", "1E+3",
      "1234567890.123456789", "1234567890.1234567891", "-9.999999999999999999e-12345", "12.5e99999",
      "12.5e100000", "0.1e-099999", "0.1e-0000099999", "9223372036854775808",
      "-9223372036854775809", "18446744073709551617", "1e2147483647",
      // Fractions that end inside or past the blocks they are gathered in.
      "-51.2849301", "47.60311582000", "-0.0000000000000000", "100.00000000", "0.1234567812345678",
      "1.1234567812345678", "9999999999.999999999", "99999999999.999999999", "0.5E3", "4.25e-3",
      "0.123456789012345", "12.12345678123456789", "7.00000000000000001", "3.1000000000000000"};
  for (const char* text : kTexts) {
    for (const std::string& padding : {std::string(), std::string(20, ' ')}) {
      Value value = fragment(padding + text + padding);
      std::optional<Decimal> read = value.asDecimal();
      ASSERT_TRUE(read) << text;
      EXPECT_EQ(*read, decimal(text)) << text;
      EXPECT_EQ(read->toString(), decimal(text).toString()) << text;
    }
  }
}

TEST(VeskJSONReaderTest, KeepsTheLaterValueOfADuplicateKeyInTheFirstPlace) {
  // Small objects and objects large enough to be indexed.
  for (size_t others : {1, 40}) {
    std::string text = "{\"a\":1,";
    for (size_t i = 0; i < others; ++i)
      text += "\"k" + std::to_string(i) + "\":0,";
    text += "\"a\":3,\"z\":4}";
    Value value = fragment(text);
    ASSERT_TRUE(value.isDictionary());
    const Dictionary& dictionary = *value.asDictionary();
    EXPECT_EQ(dictionary.size(), others + 2);
    EXPECT_EQ(dictionary.begin()->first, "a");
    EXPECT_EQ(dictionary.begin()->second, Value(3));
    EXPECT_EQ(*dictionary.find("z"), Value(4));
  }
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

  // Unlimited nesting stops at the safety limit instead of exhausting the stack.
  constexpr size_t kLimit = TAD_VeskJSON::kNestingSafetyLimit;
  EXPECT_THAT(failureOf(nestedArrays(kLimit), false, 0), ElementsAre());
  EXPECT_THAT(failureOf(nestedArrays(kLimit), false, kLimit + 1), ElementsAre());

  for (uint32_t maxDepth : {0u, UINT32_MAX}) {
    Chain refused = failureOf(std::string(10'000'000, '['), false, maxDepth);
    ASSERT_EQ(refused.size(), kLimit + 1);
    EXPECT_EQ(refused.back(), "7: Nested too deep");
  }
}

// Readings share buffers (a root array may take over the buffer its elements were read into);
// what one reading returned stays whole through the next ones, of every size.
TEST(VeskJSONReaderTest, AValueReadOutlivesTheReadingsAfterIt) {
  auto arrayOf = [](size_t count) {
    std::string text = "[";
    for (size_t i = 0; i < count; ++i)
      text += (i > 0 ? ",\"" : "\"") + std::to_string(i) + " of a text too long to be short\"";
    return text + "]";
  };
  std::vector<Value> kept;
  for (size_t count : {3000, 1, 3000, 20000, 0, 5})
    kept.push_back(TAD_VeskJSON().objectWithString(arrayOf(count)).value());
  for (const Value& value : kept) {
    const Array& array = *value.asArray();
    for (size_t i = 0; i < array.size(); ++i)
      ASSERT_EQ(array[i], Value(std::to_string(i) + " of a text too long to be short"));
  }
  EXPECT_EQ(kept[3].asArray()->size(), 20000u);
}

TEST(VeskJSONReaderTest, LeavesNoStateFromAFailedCallBehind) {
  TAD_VeskJSON json;
  json.setMaxDepth(3);
  EXPECT_FALSE(json.objectWithString("[[[x"));
  EXPECT_FALSE(json.objectWithString("[[{\"a\":1 2"));
  EXPECT_TRUE(json.objectWithString("[[[1]]]"));
}

}  // namespace
