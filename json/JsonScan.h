#pragma once

// The byte-level scanning that the reader and the writer share: tables of byte classes, and tests
// of eight or sixteen bytes at a time for the bytes a string stops at or must escape, and for
// well-formed UTF-8. Inline, as each sits in a loop over every byte of a text.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace veskjson {

// The stop set for runs of plain string characters: the quotation mark, the backslash and the
// control bytes 0x01..0x1F, NUL-terminated, so the terminating NUL of the input stops a run too.
constexpr std::array<char, 34> makeCtrl() {
  std::array<char, 34> set{};
  set[0] = '"';
  set[1] = '\\';
  for (int byte = 1; byte < 0x20; ++byte)
    set[static_cast<size_t>(byte) + 1] = static_cast<char>(byte);
  set[33] = '\0';
  return set;
}
inline constexpr std::array<char, 34> ctrl = makeCtrl();

// ctrl as a lookup table, NUL included, so that a run is measured with one load per byte.
constexpr std::array<bool, 256> makeRunStops() {
  std::array<bool, 256> stops{};
  stops[0] = true;
  for (char byte : ctrl)
    stops[static_cast<unsigned char>(byte)] = true;
  return stops;
}
inline constexpr std::array<bool, 256> kRunStops = makeRunStops();

// The characters that a written string must escape: U+0000..U+001F, '"' and '\'.
constexpr std::array<bool, 256> makeEscapeChars() {
  std::array<bool, 256> escape{};
  for (int byte = 0; byte < 0x20; ++byte)
    escape[static_cast<size_t>(byte)] = true;
  escape['"'] = true;
  escape['\\'] = true;
  return escape;
}
inline constexpr std::array<bool, 256> kEscapeChars = makeEscapeChars();

// Eight bytes at a time: a mark is the high bit of a byte (in memory order, little-endian). The
// lowest mark of each function below is always right; marks above it may be wrong, as a borrow
// can run on past the first match, so callers look at the lowest mark only.
inline constexpr uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr uint64_t kHighBits = 0x8080808080808080ULL;

inline uint64_t zeroByteMarks(uint64_t word) {
  return (word - kOnes) & ~word & kHighBits;
}

// Bytes below 0x20, the quotation mark and the backslash: what a written string escapes, and
// (with NUL) the stops of a run of plain characters in a read one.
inline uint64_t escapeMarks(uint64_t word) {
  uint64_t controls = (word - kOnes * 0x20) & ~word & kHighBits;
  return controls | zeroByteMarks(word ^ (kOnes * '"')) | zeroByteMarks(word ^ (kOnes * '\\'));
}

inline uint64_t runStopMarks(uint64_t word) {
  return escapeMarks(word) | (word & kHighBits);  // non-ASCII bytes are checked as UTF-8
}

inline uint64_t load8(const char* bytes) {
  static_assert(std::endian::native == std::endian::little, "marks are read in memory order");
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// runStopMarks() over sixteen bytes, one bit a byte. With SSE2 (every x86-64 processor) a signed
// comparison with 0x20 finds the control bytes and the non-ASCII ones at once.
inline uint32_t runStopMarks16(const char* bytes) {
#if defined(__SSE2__)
  __m128i word = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  __m128i stops = _mm_or_si128(_mm_cmplt_epi8(word, _mm_set1_epi8(0x20)),
                               _mm_or_si128(_mm_cmpeq_epi8(word, _mm_set1_epi8('"')),
                                            _mm_cmpeq_epi8(word, _mm_set1_epi8('\\'))));
  return static_cast<uint32_t>(_mm_movemask_epi8(stops));
#else
  uint64_t low = runStopMarks(load8(bytes));
  if (low != 0) return uint32_t{1} << (std::countr_zero(low) / 8);
  uint64_t high = runStopMarks(load8(bytes + 8));
  return high == 0 ? 0 : uint32_t{1} << (8 + std::countr_zero(high) / 8);
#endif
}

// Sixteen bytes of string text, one bit a byte for each class that a run's scan looks at.
struct TextBlock {
  uint32_t stops;         // bytes of ctrl (the terminating NUL among them)
  uint32_t nonAscii;      // bytes from 0x80 up
  uint32_t leadsOfTwo;    // 0xC2..0xDF
  uint32_t leadsOfThree;  // 0xE0..0xEF
  uint32_t leadsOfFour;   // 0xF0..0xF4
  uint32_t follows;       // continuation bytes, 0x80..0xBF
  uint32_t follows8;      // 0x80..0x8F
  uint32_t follows9;      // 0x80..0x9F
  // Leads whose second byte is bounded: the overlong forms start 0xE0 0x80..0x9F and 0xF0
  // 0x80..0x8F, the surrogates 0xED 0xA0..0xBF, and 0xF4 0x90..0xBF lies beyond U+10FFFF.
  uint32_t e0;
  uint32_t ed;
  uint32_t f0;
  uint32_t f4;
};

// With SSE2 (every x86-64 processor) each class is a comparison or two over the whole block.
inline TextBlock classify16(const char* bytes) {
#if defined(__SSE2__)
  __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  auto marks = [](__m128i bits) { return static_cast<uint32_t>(_mm_movemask_epi8(bits)); };
  auto equal = [&block](__m128i mask, int value) {
    return _mm_cmpeq_epi8(_mm_and_si128(block, mask), _mm_set1_epi8(static_cast<char>(value)));
  };
  __m128i controls = _mm_andnot_si128(_mm_cmplt_epi8(block, _mm_setzero_si128()),
                                      _mm_cmplt_epi8(block, _mm_set1_epi8(0x20)));
  __m128i quoteOrBackslash = _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('"')),
                                          _mm_cmpeq_epi8(block, _mm_set1_epi8('\\')));
  // 0xC0 and 0xC1 would only start overlong forms.
  __m128i notOverlong = _mm_cmpgt_epi8(block, _mm_set1_epi8(static_cast<char>(0xC1)));
  // 0xF5 and above would go beyond U+10FFFF.
  __m128i belowF5 = _mm_cmplt_epi8(block, _mm_set1_epi8(static_cast<char>(0xF5)));
  __m128i topThree = _mm_set1_epi8(static_cast<char>(0xE0));
  __m128i topFour = _mm_set1_epi8(static_cast<char>(0xF0));
  auto byte = [&block, &marks](int value) {
    return marks(_mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(value))));
  };
  return TextBlock{.stops = marks(_mm_or_si128(controls, quoteOrBackslash)),
                   .nonAscii = marks(block),
                   .leadsOfTwo = marks(_mm_and_si128(equal(topThree, 0xC0), notOverlong)),
                   .leadsOfThree = marks(equal(topFour, 0xE0)),
                   .leadsOfFour = marks(
                       _mm_and_si128(equal(_mm_set1_epi8(static_cast<char>(0xF8)), 0xF0), belowF5)),
                   .follows = marks(equal(_mm_set1_epi8(static_cast<char>(0xC0)), 0x80)),
                   .follows8 = marks(equal(topFour, 0x80)),
                   .follows9 = marks(equal(topThree, 0x80)),
                   .e0 = byte(0xE0),
                   .ed = byte(0xED),
                   .f0 = byte(0xF0),
                   .f4 = byte(0xF4)};
#else
  TextBlock block{};
  for (uint32_t i = 0; i < 16; ++i) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    uint32_t bit = uint32_t{1} << i;
    if (byte < 0x80 && kRunStops[byte]) block.stops |= bit;
    if (byte >= 0x80) block.nonAscii |= bit;
    if (byte >= 0xC2 && byte <= 0xDF) block.leadsOfTwo |= bit;
    if ((byte & 0xF0) == 0xE0) block.leadsOfThree |= bit;
    if (byte >= 0xF0 && byte <= 0xF4) block.leadsOfFour |= bit;
    if ((byte & 0xC0) == 0x80) block.follows |= bit;
    if ((byte & 0xF0) == 0x80) block.follows8 |= bit;
    if ((byte & 0xE0) == 0x80) block.follows9 |= bit;
    if (byte == 0xE0) block.e0 |= bit;
    if (byte == 0xED) block.ed |= bit;
    if (byte == 0xF0) block.f0 |= bit;
    if (byte == 0xF4) block.f4 |= bit;
  }
  return block;
#endif
}

// How many bytes of the block a run takes in one step when its non-ASCII text before the first
// stop is all well-formed UTF-8: up to the stop, or up to a sequence that the block cuts off,
// which the next step takes whole. kNotPlain when the block holds anything else before its stop,
// which is then checked sequence by sequence and refused where it is malformed.
inline constexpr uint32_t kNotPlain = 32;
inline uint32_t plainLength(const TextBlock& block) {
  uint32_t length = block.stops == 0 ? 16 : static_cast<uint32_t>(std::countr_zero(block.stops));
  uint32_t before = (uint32_t{1} << length) - 1;
  uint32_t leads = block.leadsOfTwo | block.leadsOfThree | block.leadsOfFour;
  if ((block.nonAscii & ~(leads | block.follows) & before) != 0) return kNotPlain;
  // Every continuation belongs to the lead one to three bytes before it, and every lead has all of
  // its own: a lead where a continuation is owed shows as a difference. At a stop, the stop's own
  // place counts, so a sequence cut off by it does not pass.
  uint32_t places = length == 16 ? 0xFFFF : (before << 1) | 1;
  uint32_t longer = block.leadsOfThree | block.leadsOfFour;
  uint32_t owed = leads << 1 | longer << 2 | block.leadsOfFour << 3;
  if ((block.follows & places) != (owed & places)) return kNotPlain;
  uint32_t highSeconds = block.follows & ~block.follows9;
  uint32_t badSeconds = (block.e0 << 1 & block.follows9) | (block.ed << 1 & highSeconds) |
                        (block.f0 << 1 & block.follows8) |
                        (block.f4 << 1 & block.follows & ~block.follows8);
  if ((badSeconds & places) != 0) return kNotPlain;
  if (length < 16) return length;
  uint32_t cutOff =
      (block.leadsOfTwo & 0x8000) | (block.leadsOfThree & 0xC000) | (block.leadsOfFour & 0xE000);
  return cutOff == 0 ? 16 : static_cast<uint32_t>(std::countr_zero(cutOff));
}

// The first byte of [cursor, end) that a written string must escape, or end.
inline const char* firstToEscape(const char* cursor, const char* end) {
  for (; end - cursor >= 8; cursor += 8) {
    uint64_t marks = escapeMarks(load8(cursor));
    if (marks != 0) return cursor + std::countr_zero(marks) / 8;
  }
  while (cursor != end && !kEscapeChars[static_cast<unsigned char>(*cursor)])
    ++cursor;
  return cursor;
}

inline uint64_t load4(const char* bytes) {
  uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// Whether any byte of the text is one that a written string must escape. Reads only the text's
// own bytes, in words that may overlap, so that short texts such as keys take no byte loop. (A
// word has a mark exactly when one of its bytes must be escaped: marks that are wrong only ever
// follow a right one.)
inline bool needsEscaping(std::string_view text) {
  const char* bytes = text.data();
  size_t size = text.size();
  if (size >= 8) {
    for (size_t at = 0; at + 8 <= size; at += 8) {
      if (escapeMarks(load8(bytes + at)) != 0) return true;
    }
    return escapeMarks(load8(bytes + size - 8)) != 0;
  }
  if (size >= 4) return escapeMarks(load4(bytes) | load4(bytes + size - 4) << 32) != 0;
  for (char byte : text) {
    if (kEscapeChars[static_cast<unsigned char>(byte)]) return true;
  }
  return false;
}

// The run of decimal digits at the start of eight bytes (in memory order): how many they are, 0
// to 8, and their value. Bytes past the run do not matter, whatever they are: a borrow or a carry
// only runs upwards, into bytes past the first that is not a digit.
inline uint32_t leadingDigits(uint64_t word, uint64_t& value) {
  constexpr uint64_t kHighNibbles = 0xF0F0F0F0F0F0F0F0ULL;
  uint64_t notDigits = ((word & kHighNibbles) ^ kOnes * 0x30) |
                       (((word + kOnes * 0x06) & kHighNibbles) ^ kOnes * 0x30);
  uint32_t count = notDigits == 0 ? 8 : static_cast<uint32_t>(std::countr_zero(notDigits)) / 8;
  if (count == 0) {
    value = 0;
    return 0;
  }
  // The digits moved to the top, zeros below them, and then added up pairwise: digits, pairs,
  // quadruples.
  uint64_t digits = (word - kOnes * 0x30) << (8 * (8 - count));
  digits = (digits * 10 + (digits >> 8)) & 0x00FF00FF00FF00FFULL;
  digits = (digits * 100 + (digits >> 16)) & 0x0000FFFF0000FFFFULL;
  value = (digits * 10000 + (digits >> 32)) & 0xFFFFFFFFULL;
  return count;
}

// The run of decimal digits at the start of sixteen bytes: how many they are, 0 to 16, and their
// value. Reads the sixteen bytes at bytes and, with SSE2, the sixteen that end where the run ends,
// so the caller owns the sixteen bytes before bytes too. With SSE2 the digits are found with one
// comparison and added up pairwise by multiplying and adding pairs of lanes (pmaddwd), where eight
// bytes at a time took a chain of multiplications for each word.
inline uint32_t leadingDigits16(const char* bytes, uint64_t& value) {
#if defined(__SSE2__)
  auto load = [](const char* from) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
  };
  __m128i ones = _mm_set1_epi8('0');
  __m128i digits = _mm_sub_epi8(load(bytes), ones);
  __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digits, _mm_set1_epi8(9)), digits);
  auto count = static_cast<uint32_t>(
      std::countr_zero(~static_cast<uint32_t>(_mm_movemask_epi8(isDigit))));  // 16 at most
  // The run moved to the end of a block by loading the block that ends with it, the bytes before
  // it set to zero.
  digits = _mm_sub_epi8(load(bytes + count - 16), ones);
  __m128i places = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  digits =
      _mm_and_si128(digits, _mm_cmpgt_epi8(places, _mm_set1_epi8(static_cast<char>(15 - count))));
  __m128i zero = _mm_setzero_si128();
  __m128i tens = _mm_setr_epi16(10, 1, 10, 1, 10, 1, 10, 1);
  __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(digits, zero), tens),
                                  _mm_madd_epi16(_mm_unpackhi_epi8(digits, zero), tens));
  __m128i fours = _mm_madd_epi16(pairs, _mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1));
  __m128i eights = _mm_madd_epi16(_mm_packs_epi32(fours, fours),
                                  _mm_setr_epi16(10000, 1, 10000, 1, 10000, 1, 10000, 1));
  uint64_t high = static_cast<uint32_t>(_mm_cvtsi128_si32(eights));
  uint64_t low = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(eights, 4)));
  value = high * 100000000 + low;
  return count;
#else
  uint32_t count = leadingDigits(load8(bytes), value);
  if (count < 8) return count;
  uint64_t rest;
  uint32_t more = leadingDigits(load8(bytes + 8), rest);
  static constexpr uint64_t kScales[] = {1,      10,      100,      1000,     10000,
                                         100000, 1000000, 10000000, 100000000};
  value = value * kScales[more] + rest;
  return 8 + more;
#endif
}

}  // namespace veskjson
