#include "base/Value.h"

#include <gtest/gtest.h>

namespace base {
namespace {

TEST(DictionaryTest, KeepsOneValuePerKeyInFirstInsertionOrder) {
  Dictionary d{{"b", 1}, {"a", 2}};
  d.set("b", 3);
  d.set("c", 4);
  std::vector<std::string> keys;
  for (const auto& [key, value] : d)
    keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(*d.find("b"), Value(3));
  EXPECT_TRUE(d.erase("a"));
  EXPECT_FALSE(d.erase("a"));
  EXPECT_EQ(d.size(), 2u);
}

TEST(DictionaryTest, LargeDictionariesStayConsistentThroughReplaceEraseAndCopy) {
  Dictionary d;
  for (int i = 0; i < 1000; ++i)
    d.set("k" + std::to_string(i), i);
  for (int i = 0; i < 1000; i += 2)
    d.set("k" + std::to_string(i), -i);
  for (int i = 0; i < 1000; i += 3)
    d.erase("k" + std::to_string(i));
  Dictionary copy = d;
  for (int i = 0; i < 1000; ++i) {
    const Value* v = copy.find("k" + std::to_string(i));
    if (i % 3 == 0) {
      EXPECT_EQ(v, nullptr) << i;
    } else {
      ASSERT_NE(v, nullptr) << i;
      EXPECT_EQ(v->toInt64(), i % 2 == 0 ? -i : i);
    }
  }
  EXPECT_EQ(copy, d);
}

TEST(ValueTest, NumbersCompareAcrossKindsByValue) {
  EXPECT_EQ(Value(42), Value(42.0));
  EXPECT_EQ(Value(*Decimal::fromString("42")), Value(42));
  EXPECT_EQ(Value(*Decimal::fromString("0.5")), Value(0.5));
  EXPECT_NE(Value(*Decimal::fromString("0.5")), Value(0));
  EXPECT_NE(Value("42"), Value(42));
  EXPECT_NE(Value(true), Value(1));
}

TEST(ValueTest, NumericReadingsFollowNumberConversions) {
  EXPECT_EQ(Value(true).toInt64(), 1);
  EXPECT_EQ(Value(-2.9).toInt64(), -2);
  EXPECT_EQ(Value(*Decimal::fromString("1e400")).toInt64(), INT64_MAX);
  EXPECT_EQ(Value("7").toInt64(), 0);
  EXPECT_EQ(Value(0.1).numberString(), "0.1");
  EXPECT_EQ(Value(3.0).numberString(), "3");
  EXPECT_EQ(Value(true).numberString(), "1");
}

TEST(ValueTest, DescriptionNestsArraysAndDictionaries) {
  Value v(Array{"a", "b c"});
  EXPECT_EQ(v.description(), "(\n    a,\n    \"b c\"\n)");
  Value d(Dictionary{{"k", Array{1}}});
  EXPECT_EQ(d.description(), "{\n    k = (\n        1\n    );\n}");
  EXPECT_EQ(Value("top level").description(), "top level");
}

}  // namespace
}  // namespace base
