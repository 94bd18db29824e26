#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace base {

// An exact decimal number: sign × significand × 10^exponent, with the significand kept whole,
// however many digits it has, so that no value read from text is ever rounded (0.1 stays 0.1 and
// 1e400 stays finite). Values are normalised — no leading or trailing zeros in the significand,
// zero is 0 with exponent 0 and no sign — so equal numbers compare equal member by member.
class Decimal {
 public:
  Decimal() = default;
  explicit Decimal(int64_t value);
  Decimal(const Decimal& other);
  Decimal& operator=(const Decimal& other);
  Decimal(Decimal&&) noexcept = default;
  Decimal& operator=(Decimal&&) noexcept = default;
  ~Decimal() = default;

  // Parses the JSON number grammar: optional '-', digits, optional fraction, optional exponent.
  // Returns nothing for any other text, or for a value whose exponent, written or normalised, lies
  // beyond ±2^31.
  static std::optional<Decimal> fromString(std::string_view text);
  // Moves a nonzero significand's trailing zeros into its exponent, as normalised values keep it.
  static void trimZeros(uint64_t& significand, int32_t& exponent) {
    while (significand % 10 == 0) {
      significand /= 10;
      ++exponent;
    }
  }

  bool isNegative() const { return negative_; }
  bool isZero() const { return significand_ == 0 && !longDigits_; }
  // The significand's decimal digits ("0" for zero), and how many they are.
  std::string digits() const;
  size_t digitCount() const;
  int64_t exponent() const { return exponent_; }

  // Whether the value is a whole number that fits in 64 bits, and that number.
  std::optional<int64_t> toInt64() const;
  // The nearest double (±infinity past the double range, as strtod would give).
  double toDouble() const;

  // The standard decimal text: plain notation ("-12.5", "0.001", "1000") while that stays
  // within 64 characters, otherwise scientific notation with the significand's digits
  // ("1E+400", "1.25E-300").
  std::string toString() const;
  // Appends toString()'s text to out, without a string of its own in between.
  void appendTo(std::string& out) const;

  friend bool operator==(const Decimal& a, const Decimal& b);

 private:
  friend class Value;  // holds a short decimal's parts in its own two words

  // A significand of up to kShortDigits digits — nearly every one that is read — is held as a
  // number, a longer one as its digits apart. Every exponent that fromString() accepts lies within
  // 32 bits. A decimal so takes 24 bytes and is made and moved without touching the heap, which
  // keeps base::Value at 40 bytes and reading decimals cheap.
  static constexpr size_t kShortDigits = 19;

  // The digits, written into room for the short ones.
  std::string_view digitsIn(char (&room)[kShortDigits + 1]) const;

  uint64_t significand_ = 0;                 // when it has at most kShortDigits digits
  std::unique_ptr<std::string> longDigits_;  // otherwise
  int32_t exponent_ = 0;
  bool negative_ = false;
};

}  // namespace base
