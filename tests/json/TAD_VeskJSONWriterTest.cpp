#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <pthread.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <utility>

#include "json/TAD_VeskJSON.h"
#include "tests/json/ErrorChain.h"

namespace {

using base::Array;
using base::Dictionary;
using base::Value;
using testing::ElementsAre;

std::string compact(const Value& value) {
  TAD_VeskJSON json;
  base::Error error;
  std::optional<std::string> text = json.stringWithFragment(value, &error);
  EXPECT_TRUE(text) << error.description();
  return text.value_or("<unwritten>");
}

std::string readable(const Value& value) {
  TAD_VeskJSON json;
  json.setHumanReadable(true);
  return json.stringWithFragment(value).value_or("<unwritten>");
}

TEST(VeskJSONWriterTest, WritesCompactAndHumanReadableLayoutsWithEmptyContainersBare) {
  const struct {
    Value value;
    std::string compact;
    std::string readable;
  } kLayouts[] = {
      {Dictionary{{"a", Array{1, 2}}}, R"({"a":[1,2]})", "{\n  \"a\" : [\n    1,\n    2\n  ]\n}"},
      {Array{Dictionary{{"x", nullptr}, {"y", true}}, Array{}}, R"([{"x":null,"y":true},[]])",
       "[\n  {\n    \"x\" : null,\n    \"y\" : true\n  },\n  []\n]"},
      {Dictionary{}, "{}", "{}"},
      {Array{}, "[]", "[]"},
      {Array{Array{}, Dictionary{}}, "[[],{}]", "[\n  [],\n  {}\n]"},
  };
  for (const auto& layout : kLayouts) {
    EXPECT_EQ(compact(layout.value), layout.compact);
    EXPECT_EQ(readable(layout.value), layout.readable);
  }
}

TEST(VeskJSONWriterTest, WritesMembersInInsertionOrderOrSortedByKey) {
  Value value = Dictionary{{"b", 1}, {"a", Dictionary{{"z", 1}, {"y", 2}}}, {"B", 3}};
  EXPECT_EQ(compact(value), R"({"b":1,"a":{"z":1,"y":2},"B":3})");
  TAD_VeskJSON json;
  json.setSortKeys(true);
  EXPECT_EQ(json.stringWithObject(value), R"({"B":3,"a":{"y":2,"z":1},"b":1})");
}

TEST(VeskJSONWriterTest, WritesEachKindOfValueEscapingOnlyQuotesBackslashesAndControls) {
  const std::pair<Value, std::string> kWritings[] = {
      {true, "true"},
      {false, "false"},
      {nullptr, "null"},
      {Value(INT64_MIN), "-9223372036854775808"},
      {0.5, "0.5"},
      {base::Decimal::fromString("0.1").value(), "0.1"},
      {base::Decimal::fromString("1e400").value(), "1E+400"},
      {base::Date(0), "\"" + base::Date(0).description() + "\""},
      {base::Data{0xde, 0xad}, R"("<dead>")"},
      {"a/b", R"("a/b")"},
      {"\x01", R"("\u0001")"},
      {std::string("\0\x1f", 2), R"("\u0000\u001f")"},
      {"\b\t\n\f\r\"\\", R"("\b\t\n\f\r\"\\")"},
      {"caf\xc3\xa9 \x7f \xf0\x9d\x84\x9e", "\"caf\xc3\xa9 \x7f \xf0\x9d\x84\x9e\""},
      {"start\nmiddle\"end", R"("start\nmiddle\"end")"},
      // Escapes found only in the last, overlapping word of a short text's quick check.
      {"abcde\x1f", R"("abcde\u001f")"},
      {"plain tex\"", R"("plain tex\"")"},
      {Dictionary{{"k\"ey", "v"}}, R"({"k\"ey":"v"})"},
  };
  for (const auto& [value, text] : kWritings)
    EXPECT_EQ(compact(value), text) << text;
}

TEST(VeskJSONWriterTest, RequiresAContainerUnlessFragmentsAreAllowedAndNumbersWithJsonText) {
  TAD_VeskJSON json;
  base::Error error;
  EXPECT_FALSE(json.stringWithObject("text", &error));
  EXPECT_THAT(chainOf(error), ElementsAre("4: Not valid type for JSON"));
  EXPECT_EQ(json.stringWithFragment("text"), "\"text\"");
  // Numbers that have no JSON text are refused.
  EXPECT_FALSE(json.stringWithObject(Array{1, std::nan("")}, &error));
  EXPECT_THAT(chainOf(error), ElementsAre("1: JSON serialisation not supported for nan"));

  // An object replaces its value's error with its own, without a chain.
  Value inner = Array{std::numeric_limits<double>::infinity()};
  EXPECT_FALSE(json.stringWithObject(Dictionary{{"k", Dictionary{{"j", inner}}}}, &error));
  EXPECT_THAT(chainOf(error), ElementsAre("1: Unsupported value for key k in object"));
}

// Runs work on a thread whose stack is far smaller than writing by recursion over every level of
// nesting would take.
void onSmallStack(const std::function<void()>& work) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  auto run = [](void* argument) -> void* {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&work)),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

TEST(VeskJSONWriterTest, WritesUpToTheSafetyLimitOnASmallStackAndRefusesDeeper) {
  auto wrapped = [](Value value) {
    Array array;
    array.push_back(std::move(value));
    return Value(std::move(array));
  };
  Value value = Array{};
  for (uint32_t depth = 1; depth < TAD_VeskJSON::kNestingSafetyLimit; ++depth) {
    value = wrapped(std::move(value));
  }
  Value deeper = wrapped(value);
  onSmallStack([&] {
    TAD_VeskJSON json;
    std::optional<std::string> text = json.stringWithObject(value);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->size(), 2 * size_t{TAD_VeskJSON::kNestingSafetyLimit});
    base::Error error;
    EXPECT_FALSE(json.stringWithObject(deeper, &error));
    EXPECT_THAT(chainOf(error), ElementsAre("7: Nested too deep"));
  });
}

}  // namespace
