// Property: whatever the writer writes, the reader reads back to an equal value, in every layout.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "json/TAD_VeskJSON.h"

namespace {

using base::Value;

// Deterministic random values of every kind the writer writes as itself.
class RandomValues {
 public:
  explicit RandomValues(uint32_t seed) : random_(seed) {}

  Value value(int depth) {
    switch (below(depth > 0 ? 9 : 7)) {
      case 0:
        return Value();
      case 1:
        return Value(below(2) == 1);
      case 2:
        return Value(static_cast<int64_t>(random_()));
      case 3:
        return decimal();
      case 4:
        return finiteDouble();
      case 5:
      case 6:
        return Value(text());
      case 7:
        return array(depth - 1);
      default:
        return dictionary(depth - 1);
    }
  }

 private:
  uint32_t below(uint32_t bound) {
    return std::uniform_int_distribution<uint32_t>(0, bound - 1)(random_);
  }

  Value decimal() {
    std::string digits = below(2) ? "-" : "";
    digits += static_cast<char>('1' + below(9));
    for (uint32_t i = below(30); i > 0; --i)
      digits += static_cast<char>('0' + below(10));
    digits += "e" + std::to_string(static_cast<int>(below(800)) - 400);
    return Value(base::Decimal::fromString(digits).value());
  }

  Value finiteDouble() {
    for (;;) {
      uint64_t bits = (uint64_t{random_()} << 32) | random_();
      double d;
      std::memcpy(&d, &bits, sizeof d);
      if (std::isfinite(d)) return Value(d);
    }
  }

  // Code points from every range that is written differently: controls, quotes and
  // backslashes, ASCII, two-, three- and four-byte forms.
  std::string text() {
    std::string out;
    for (uint32_t i = below(12); i > 0; --i) {
      static constexpr uint32_t kRanges[][2] = {{0, 0x20},         {0x20, 0x80},
                                                {0x80, 0x800},     {0x800, 0xD800},
                                                {0xE000, 0x10000}, {0x10000, 0x110000}};
      const auto& range = kRanges[below(6)];
      appendUtf8(range[0] + below(range[1] - range[0]), out);
    }
    if (below(4) == 0) out += below(2) ? "\"" : "\\";
    return out;
  }

  static void appendUtf8(uint32_t c, std::string& out) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }

  Value array(int depth) {
    base::Array array;
    for (uint32_t i = below(6); i > 0; --i)
      array.push_back(value(depth));
    return Value(std::move(array));
  }

  Value dictionary(int depth) {
    base::Dictionary dictionary;
    for (uint32_t i = below(6); i > 0; --i)
      dictionary.set(text(), value(depth));
    return Value(std::move(dictionary));
  }

  std::mt19937 random_;
};

TEST(VeskJSONRoundTripTest, ReadsBackWhatItWritesInEveryLayout) {
  RandomValues values(20240611);
  for (int round = 0; round < 300; ++round) {
    Value value = values.value(4);
    for (int layout = 0; layout < 4; ++layout) {
      TAD_VeskJSON json;
      json.setHumanReadable(layout & 1);
      json.setSortKeys(layout & 2);
      std::optional<std::string> text = json.stringWithFragment(value);
      ASSERT_TRUE(text) << value.description();
      std::optional<Value> reread = json.fragmentWithString(*text);
      ASSERT_TRUE(reread) << *text;
      ASSERT_TRUE(*reread == value) << *text;
      // A double comes back as a decimal, whose text may differ; from then on the text is fixed.
      std::optional<std::string> again = json.stringWithFragment(*reread);
      ASSERT_TRUE(again);
      ASSERT_EQ(json.stringWithFragment(json.fragmentWithString(*again).value()), again);
    }
  }
}

}  // namespace
