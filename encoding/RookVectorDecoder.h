#pragma once

// Decodes 64-character alphabets sixteen characters at a time with SSSE3 byte shuffles, on
// processors that have them. A block is taken only when all sixteen characters are data
// characters of the decoder's table (synonyms included); anything else is left to the caller,
// so the result is exactly that of decoding the characters one by one.

#include <array>
#include <cstddef>
#include <cstdint>

class RookVectorDecoder {
 public:
  // Whether this processor and build can use the decoder.
  static bool available();

  // Takes in the decoder's table: a value from 0 to 63 or a negative marker for every byte.
  void setDecodeMap(const std::array<int8_t, 256>& map);

  // Decodes blocks of text from index on while they last and out has 16 bytes of room before limit
  // (12 are used). Returns the index after the last block taken; advances out.
  size_t decodeBlocks(const unsigned char* text, size_t index, size_t length, uint8_t*& out,
                      const uint8_t* limit) const;

 private:
  // Lookup tables for the ASCII range, one per sixteen codes, each stored as the difference
  // (exclusive or) from the previous one so that lookups of all eight can simply be combined.
  std::array<std::array<uint8_t, 16>, 8> tables_{};
};
