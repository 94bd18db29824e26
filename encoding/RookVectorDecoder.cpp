#include "encoding/RookVectorDecoder.h"

#if defined(__x86_64__) || defined(__i386__)
#define TAD_HAS_VECTOR_DECODER 1
#include <tmmintrin.h>
#endif

void RookVectorDecoder::setDecodeMap(const std::array<int8_t, 256>& map) {
  std::array<uint8_t, 16> previous{};
  for (size_t block = 0; block < 8; ++block) {
    for (size_t low = 0; low < 16; ++low) {
      const int8_t entry = map[block * 16 + low];
      // Anything but a data character gets the top bit, which marks the block as not for us.
      const auto value = static_cast<uint8_t>(entry >= 0 ? entry : 0x80);
      tables_[block][low] = value ^ previous[low];
      previous[low] = value;
    }
  }
}

#if defined(TAD_HAS_VECTOR_DECODER)

bool RookVectorDecoder::available() {
  static const bool hasShuffles = __builtin_cpu_supports("ssse3");
  return hasShuffles;
}

namespace {

__attribute__((target("ssse3"))) size_t decodeWithShuffles(
    const std::array<std::array<uint8_t, 16>, 8>& tables, const unsigned char* text, size_t index,
    size_t length, uint8_t*& out, const uint8_t* limit) {
  __m128i lookup[8];
  for (int block = 0; block < 8; ++block) {
    lookup[block] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tables[block].data()));
  }
  const __m128i sixteen = _mm_set1_epi8(16);
  const __m128i joinPairs = _mm_set1_epi32(0x01400140);  // v0 * 64 + v1 in each 16-bit lane
  const __m128i joinQuads = _mm_set1_epi32(0x00011000);  // w0 * 4096 + w1 in each 32-bit lane
  const __m128i gatherBytes = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
  uint8_t* to = out;
  while (length - index >= 16 && limit - to >= 16) {
    const __m128i codes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + index));
    // A shuffle reads the low four bits of each code and gives 0 where the top bit is set. Codes
    // move down by 16 per table; once below a table's range they read as negative and add
    // nothing, so the combined differences leave exactly the entry of the code's own table.
    __m128i shifted = codes;
    __m128i values = _mm_shuffle_epi8(lookup[0], shifted);
    for (int block = 1; block < 8; ++block) {
      shifted = _mm_sub_epi8(shifted, sixteen);
      values = _mm_xor_si128(values, _mm_shuffle_epi8(lookup[block], shifted));
    }
    // Codes from 128 up and characters that are not data both carry the top bit.
    if (_mm_movemask_epi8(_mm_or_si128(values, codes)) != 0) break;
    const __m128i pairs = _mm_maddubs_epi16(values, joinPairs);
    const __m128i groups = _mm_madd_epi16(pairs, joinQuads);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_shuffle_epi8(groups, gatherBytes));
    to += 12;
    index += 16;
  }
  out = to;
  return index;
}

}  // namespace

size_t RookVectorDecoder::decodeBlocks(const unsigned char* text, size_t index, size_t length,
                                       uint8_t*& out, const uint8_t* limit) const {
  return decodeWithShuffles(tables_, text, index, length, out, limit);
}

#else

bool RookVectorDecoder::available() {
  return false;
}

size_t RookVectorDecoder::decodeBlocks(const unsigned char*, size_t index, size_t, uint8_t*&,
                                       const uint8_t*) const {
  return index;
}

#endif
