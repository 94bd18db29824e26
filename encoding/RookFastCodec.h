#pragma once

// Whole-group shortcuts for the two alphabet sizes that matter for speed: 64 characters (three
// bytes are four characters) and 16 (one byte is two). They give exactly what the bit-by-bit
// algorithm gives; the decoder leaves every group that holds anything but data characters to it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "encoding/RookVectorDecoder.h"
#include "encoding/RookVectorEncoder.h"

class RookFastCodec {
 public:
  // Whether an alphabet of 2^shift characters has shortcuts.
  static bool covers(int shift) { return shift == 6 || shift == 4; }

  RookFastCodec() = default;
  // alphabet must hold 2^shift characters, with covers(shift).
  RookFastCodec(std::string_view alphabet, int shift);

  // Encodes all of bytes; out has room for every character (no padding). Returns the end.
  char* encode(const uint8_t* bytes, size_t count, char* out) const;

  // Takes in the decoder's table (value or negative marker for every byte) and the marker of
  // padding characters; call after every change of the table.
  void setDecodeMap(const std::array<int8_t, 256>& map, int8_t paddingMarker);

  // Decodes whole groups of data characters of text from index on, while they last, and for base
  // 64 a last short group with only padding after it when its leftover bits are zero. Call only
  // where no bits are pending and no padding has been seen. Returns the index after the last
  // character taken; advances out, which has room up to limit.
  size_t decodeGroups(const unsigned char* text, size_t index, size_t length, uint8_t*& out,
                      const uint8_t* limit) const;

 private:
  static constexpr uint32_t kNotData = 0x80000000u;
  static constexpr uint32_t kPaddingMark = 0x40000000u;

  char* encodeBase64(const uint8_t* in, const uint8_t* end, char* out) const;
  char* encodeHex(const uint8_t* in, const uint8_t* end, char* out) const;
  size_t decodeBase64(const unsigned char* text, size_t index, size_t length, uint8_t*& out,
                      const uint8_t* limit) const;
  size_t decodeBase64End(const unsigned char* text, size_t index, size_t length,
                         uint8_t*& out) const;
  size_t decodeHex(const unsigned char* text, size_t index, size_t length, uint8_t*& out) const;

  int shift_ = 0;
  // Two characters for every 12-bit (base 64) or 8-bit (hexadecimal) group.
  std::vector<uint16_t> pairs_;
  // For the character at each position of a group: its value moved into place, or kNotData.
  std::vector<std::array<uint32_t, 256>> placedValues_;
  // Base 64, where the processor allows.
  std::optional<RookVectorEncoder> vectorEncoder_;
  std::optional<RookVectorDecoder> vectorDecoder_;
};
