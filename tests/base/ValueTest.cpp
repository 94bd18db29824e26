#include "base/Value.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace base {
namespace {

TEST(DictionaryTest, KeepsOneValuePerKeyInFirstInsertionOrder) {
  Dictionary d{{"b", 1}, {"a", 2}};
  d.set("b", 3);
  d.set("c", 4);
  std::vector<std::string> keys;
  for (const auto& [key, value] : d)
    keys.emplace_back(key);
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

// Keys whose standard-library hashes agree in their low ten bits: without a keyed hash they all
// share one probe run of the index, and each insertion walks past all the keys before it.
std::vector<std::string> keysCollidingUnderTheStandardHash(size_t count) {
  std::vector<std::string> keys;
  for (uint64_t i = 0; keys.size() < count; ++i) {
    std::string key = "key" + std::to_string(i);
    if ((std::hash<std::string_view>{}(key)&0x3FF) == 0) keys.push_back(std::move(key));
  }
  return keys;
}

TEST(DictionaryTest, KeysChosenToCollideStillBuildInLinearWork) {
  std::vector<std::string> keys = keysCollidingUnderTheStandardHash(600);
  uint64_t before = Dictionary::probesForTesting();
  Dictionary d;
  for (const std::string& key : keys)
    d.set(key, Value(key));
  for (const std::string& key : keys) {
    const Value* value = d.find(key);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, Value(key));
  }
  EXPECT_LT(Dictionary::probesForTesting() - before, 20 * keys.size());
  EXPECT_EQ(d.size(), keys.size());
}

TEST(DictionaryTest, BuildsFromEntriesKeepingTheLaterValueOfARepeatedKeyInTheFirstPlace) {
  // Keys held in place and in a block of their own; dictionaries below and above the size that
  // is indexed.
  for (const std::string& repeated : {std::string("a"), std::string(30, 'a')}) {
    for (size_t others : {2, 40}) {
      std::vector<Dictionary::Entry> entries;
      entries.emplace_back(repeated, 1);
      for (size_t i = 0; i < others; ++i)
        entries.emplace_back(repeated + std::to_string(i), Value(i));
      entries.emplace_back(repeated, 2);
      Dictionary d(std::move(entries));
      EXPECT_EQ(d.size(), others + 1);
      EXPECT_EQ(d.begin()->first, repeated);
      EXPECT_EQ(*d.find(repeated), Value(2));
      EXPECT_EQ(*d.find(repeated + "1"), Value(1));
    }
  }
}

// One value of every kind, with the heap-held kinds large enough to own memory.
std::vector<Value> oneOfEachKind() {
  return {Value(),
          Value(true),
          Value(-7),
          Value(0.25),
          Value(*Decimal::fromString("1234567890123456789012.5")),
          Value(*Decimal::fromString("-0.000125")),
          Value(""),
          Value(std::string(14, 's')),  // the longest text held in place
          Value(std::string(15, 's')),
          Value(std::string(40, 's')),
          Value(Date(5)),
          Value(Data(40, 0xab)),
          Value(Array{"x", Array{1}}),
          Value(Dictionary{{"k", Dictionary{{"j", std::string(40, 'v')}}},
                           {std::string(14, 'k'), 1},
                           {std::string(15, 'k'), 2}})};
}

TEST(DictionaryTest, AnswersStringAtKeyOnlyForStrings) {
  const Dictionary fields{{"subject", "Hi"},
                          {"empty", ""},
                          {"count", 3},
                          {"flag", true},
                          {"list", Value(Array{"a"})},
                          {"inner", Dictionary{{"subject", "deeper"}}}};
  EXPECT_EQ(fields.stringForKey("subject"), "Hi");
  EXPECT_EQ(fields.stringForKey("empty"), "");  // present and empty is not absent
  // Other kinds are no text, keys are compared exactly, and a missing key is absent.
  for (std::string_view key : {"count", "flag", "list", "inner", "Subject", ""})
    EXPECT_EQ(fields.stringForKey(key), std::nullopt) << key;
}

TEST(ValueTest, CopiesMovesAndAssignsEveryKind) {
  std::vector<Value> originals = oneOfEachKind();
  for (const Value& original : originals) {
    Value copy = original;
    EXPECT_EQ(copy, original);
    Value moved = std::move(copy);
    EXPECT_EQ(moved, original);
    for (const Value& other : originals) {
      Value target = other;
      target = original;
      EXPECT_EQ(target, original);
      target = Value(other);
      EXPECT_EQ(target, other);
    }
  }
}

TEST(ValueTest, CopiesAreIndependentOfTheirOriginal) {
  Value original(Array{std::string(20, 'a'), Dictionary{{std::string(20, 'k'), 1}}});
  Value copy = original;
  (*copy.asArray())[0] = "b";
  copy.asArray()->at(1).asDictionary()->set(std::string(20, 'k'), 2);
  EXPECT_EQ(original, Value(Array{std::string(20, 'a'), Dictionary{{std::string(20, 'k'), 1}}}));
  Value kept = std::move((*original.asArray())[1]);
  original = Value();
  EXPECT_EQ(kept.find(std::string(20, 'k'))->toInt64(), 1);
}

TEST(ValueTest, TakesAPartOfItselfByAssignment) {
  Value v(Array{Dictionary{{"k", std::string(40, 'x')}}});
  v = std::move((*v.asArray())[0]);
  EXPECT_EQ(v, Value(Dictionary{{"k", std::string(40, 'x')}}));
  v = *v.find("k");
  EXPECT_EQ(v, Value(std::string(40, 'x')));
}

// An element given back to its own array stays valid while the array's block grows under it.
TEST(ValueTest, AnArrayTakesItsOwnElementsAcrossGrowth) {
  const Value text(std::string(40, 'x'));
  Array array{text};
  for (int i = 0; i < 40; ++i)
    array.push_back(array.back());
  array.emplace_back(std::move(array[1]));
  EXPECT_EQ(array.size(), 42u);
  EXPECT_EQ(std::count(array.begin(), array.end(), text), 41);
  EXPECT_TRUE(array[1].isNull());
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
