#include "ads/Utility/TADMacros.h"

#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
