#pragma once

// Encodes with 64-character alphabets twelve bytes at a time with SSSE3 byte shuffles, on
// processors that have them; the text is exactly that of the bit-by-bit algorithm.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

class RookVectorEncoder {
 public:
  // Whether this processor and build can use the encoder.
  static bool available();

  // alphabet holds 64 characters.
  explicit RookVectorEncoder(std::string_view alphabet);

  // Encodes groups of twelve bytes while at least sixteen remain to be read (four are read but
  // not used). Advances in and returns the end of the written text.
  char* encodeBlocks(const uint8_t*& in, const uint8_t* end, char* out) const;

 private:
  // The alphabet in four sixteen-character tables, each stored as the difference (exclusive or)
  // from the previous one so that lookups of all four can simply be combined.
  std::array<std::array<uint8_t, 16>, 4> tables_{};
};
