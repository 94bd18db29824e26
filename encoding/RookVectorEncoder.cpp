#include "encoding/RookVectorEncoder.h"

#if defined(__x86_64__) || defined(__i386__)
#define TAD_HAS_VECTOR_ENCODER 1
#include <tmmintrin.h>
#endif

RookVectorEncoder::RookVectorEncoder(std::string_view alphabet) {
  for (size_t block = 0; block < 4; ++block) {
    for (size_t low = 0; low < 16; ++low) {
      const auto character = static_cast<uint8_t>(alphabet[block * 16 + low]);
      const auto previous = block == 0 ? 0 : static_cast<uint8_t>(alphabet[block * 16 - 16 + low]);
      tables_[block][low] = character ^ previous;
    }
  }
}

#if defined(TAD_HAS_VECTOR_ENCODER)

bool RookVectorEncoder::available() {
  static const bool hasShuffles = __builtin_cpu_supports("ssse3");
  return hasShuffles;
}

namespace {

__attribute__((target("ssse3"))) char* encodeWithShuffles(
    const std::array<std::array<uint8_t, 16>, 4>& tables, const uint8_t*& in, const uint8_t* end,
    char* out) {
  __m128i lookup[4];
  for (int block = 0; block < 4; ++block) {
    lookup[block] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tables[block].data()));
  }
  // Each 32-bit lane gets the bytes b1 b0 b2 b1 of its three-byte group, so that two multiplies
  // can move each 6-bit field into a byte of its own.
  const __m128i spread = _mm_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
  const __m128i sixteen = _mm_set1_epi8(16);
  const uint8_t* from = in;
  while (end - from >= 16) {
    const __m128i bytes =
        _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)), spread);
    const __m128i first = _mm_mulhi_epu16(_mm_and_si128(bytes, _mm_set1_epi32(0x0FC0FC00)),
                                          _mm_set1_epi32(0x04000040));
    const __m128i second = _mm_mullo_epi16(_mm_and_si128(bytes, _mm_set1_epi32(0x003F03F0)),
                                           _mm_set1_epi32(0x01000010));
    __m128i values = _mm_or_si128(first, second);
    // As in the decoder: values move down by 16 per table and add nothing once below its range.
    __m128i characters = _mm_shuffle_epi8(lookup[0], values);
    for (int block = 1; block < 4; ++block) {
      values = _mm_sub_epi8(values, sixteen);
      characters = _mm_xor_si128(characters, _mm_shuffle_epi8(lookup[block], values));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), characters);
    from += 12;
    out += 16;
  }
  in = from;
  return out;
}

}  // namespace

char* RookVectorEncoder::encodeBlocks(const uint8_t*& in, const uint8_t* end, char* out) const {
  return encodeWithShuffles(tables_, in, end, out);
}

#else

bool RookVectorEncoder::available() {
  return false;
}

char* RookVectorEncoder::encodeBlocks(const uint8_t*&, const uint8_t*, char* out) const {
  return out;
}

#endif
