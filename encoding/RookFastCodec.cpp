#include "encoding/RookFastCodec.h"

#include <bit>
#include <cstring>

namespace {

// Store value with its most significant byte first, wherever out points.
inline void storeBigEndian64(uint8_t* out, uint64_t value) {
  if constexpr (std::endian::native == std::endian::little) value = __builtin_bswap64(value);
  std::memcpy(out, &value, 8);
}

inline uint64_t loadBigEndian64(const uint8_t* in) {
  uint64_t value;
  std::memcpy(&value, in, 8);
  if constexpr (std::endian::native == std::endian::little) value = __builtin_bswap64(value);
  return value;
}

// Stores the four character pairs of quad in the order they were placed in it, lowest first.
inline void storeNative64(char* out, uint64_t quad) {
  if constexpr (std::endian::native == std::endian::big) {
    quad = (quad >> 48) | ((quad >> 16) & 0xFFFF0000u) | ((quad << 16) & 0xFFFF00000000u) |
           (quad << 48);
  }
  std::memcpy(out, &quad, 8);
}

inline void storeBigEndian32(uint8_t* out, uint32_t value) {
  if constexpr (std::endian::native == std::endian::little) value = __builtin_bswap32(value);
  std::memcpy(out, &value, 4);
}

}  // namespace

RookFastCodec::RookFastCodec(std::string_view alphabet, int shift) : shift_(shift) {
  const size_t mask = (size_t{1} << shift) - 1;
  pairs_.resize(size_t{1} << (2 * shift));
  for (size_t group = 0; group < pairs_.size(); ++group) {
    const char pair[2] = {alphabet[group >> shift], alphabet[group & mask]};
    std::memcpy(&pairs_[group], pair, 2);
  }
  placedValues_.resize(shift == 6 ? 4 : 2);
  if (shift == 6 && RookVectorEncoder::available()) vectorEncoder_.emplace(alphabet);
  if (shift == 6 && RookVectorDecoder::available()) vectorDecoder_.emplace();
}

void RookFastCodec::setDecodeMap(const std::array<int8_t, 256>& map, int8_t paddingMarker) {
  const int positions = static_cast<int>(placedValues_.size());
  for (int position = 0; position < positions; ++position) {
    const int placement = shift_ * (positions - 1 - position);
    for (size_t c = 0; c < 256; ++c) {
      uint32_t& placed = placedValues_[position][c];
      placed = map[c] >= 0 ? uint32_t(map[c]) << placement : kNotData;
      if (map[c] == paddingMarker) placed |= kPaddingMark;
    }
  }
  if (vectorDecoder_) vectorDecoder_->setDecodeMap(map);
}

// ---- Encoding ----

char* RookFastCodec::encode(const uint8_t* bytes, size_t count, char* out) const {
  return shift_ == 6 ? encodeBase64(bytes, bytes + count, out)
                     : encodeHex(bytes, bytes + count, out);
}

char* RookFastCodec::encodeBase64(const uint8_t* in, const uint8_t* end, char* out) const {
  if (vectorEncoder_) out = vectorEncoder_->encodeBlocks(in, end, out);
  const uint16_t* pairs = pairs_.data();
  // Six bytes at a time, read with one load of eight while the input allows.
  while (end - in >= 8) {
    const uint64_t bits = loadBigEndian64(in);
    const uint64_t quad =
        uint64_t{pairs[bits >> 52]} | uint64_t{pairs[(bits >> 40) & 0xFFF]} << 16 |
        uint64_t{pairs[(bits >> 28) & 0xFFF]} << 32 | uint64_t{pairs[(bits >> 16) & 0xFFF]} << 48;
    storeNative64(out, quad);
    in += 6;
    out += 8;
  }
  while (end - in >= 3) {
    const uint32_t group = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
    std::memcpy(out, &pairs[group >> 12], 2);
    std::memcpy(out + 2, &pairs[group & 0xFFF], 2);
    in += 3;
    out += 4;
  }
  // A short last group is filled with zero bits. pairs[v] for v < 64 holds the single
  // character for v in its second place.
  if (end - in == 2) {
    const uint32_t group = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8);
    std::memcpy(out, &pairs[group >> 12], 2);
    std::memcpy(out + 2, reinterpret_cast<const char*>(&pairs[(group >> 6) & 0x3F]) + 1, 1);
    out += 3;
  } else if (end - in == 1) {
    std::memcpy(out, &pairs[uint32_t{in[0]} << 4], 2);
    out += 2;
  }
  return out;
}

char* RookFastCodec::encodeHex(const uint8_t* in, const uint8_t* end, char* out) const {
  for (; in != end; ++in, out += 2)
    std::memcpy(out, &pairs_[*in], 2);
  return out;
}

// ---- Decoding ----

size_t RookFastCodec::decodeGroups(const unsigned char* text, size_t index, size_t length,
                                   uint8_t*& out, const uint8_t* limit) const {
  return shift_ == 6 ? decodeBase64(text, index, length, out, limit)
                     : decodeHex(text, index, length, out);
}

size_t RookFastCodec::decodeBase64(const unsigned char* text, size_t index, size_t length,
                                   uint8_t*& out, const uint8_t* limit) const {
  const uint32_t* d0 = placedValues_[0].data();
  const uint32_t* d1 = placedValues_[1].data();
  const uint32_t* d2 = placedValues_[2].data();
  const uint32_t* d3 = placedValues_[3].data();
  if (vectorDecoder_) index = vectorDecoder_->decodeBlocks(text, index, length, out, limit);
  uint8_t* to = out;
  // Two groups at a time, written with one store of eight bytes while the room allows.
  while (length - index >= 8 && limit - to >= 8) {
    const unsigned char* p = text + index;
    const uint32_t first = d0[p[0]] | d1[p[1]] | d2[p[2]] | d3[p[3]];
    const uint32_t second = d0[p[4]] | d1[p[5]] | d2[p[6]] | d3[p[7]];
    if ((first | second) & kNotData) break;
    storeBigEndian64(to, ((uint64_t{first} << 24) | second) << 16);
    to += 6;
    index += 8;
  }
  while (length - index >= 4) {
    const unsigned char* p = text + index;
    const uint32_t group = d0[p[0]] | d1[p[1]] | d2[p[2]] | d3[p[3]];
    if (group & kNotData) break;
    if (limit - to >= 4) {
      storeBigEndian32(to, group << 8);
    } else {
      to[0] = static_cast<uint8_t>(group >> 16);
      to[1] = static_cast<uint8_t>(group >> 8);
      to[2] = static_cast<uint8_t>(group);
    }
    to += 3;
    index += 4;
  }
  out = to;
  return decodeBase64End(text, index, length, out);
}

// The last two or three data characters of a text, with nothing after them but padding. Only a
// tail whose leftover bits are zero is taken; the slow road refuses the others.
size_t RookFastCodec::decodeBase64End(const unsigned char* text, size_t index, size_t length,
                                      uint8_t*& out) const {
  const size_t rest = length - index;
  if (rest < 2 || rest > 4) return index;
  const unsigned char* p = text + index;
  uint32_t group = placedValues_[0][p[0]] | placedValues_[1][p[1]];
  size_t dataCount = 2;
  if (rest > 2 && !(placedValues_[2][p[2]] & kNotData)) {
    group |= placedValues_[2][p[2]];
    dataCount = 3;
  }
  if (group & kNotData) return index;
  for (size_t i = dataCount; i < rest; ++i) {
    if (!(placedValues_[0][p[i]] & kPaddingMark)) return index;
  }
  // Two characters leave 4 bits below the first byte, three leave 2 below the second.
  const uint32_t leftoverBits = dataCount == 2 ? 0xF000 : 0x00C0;
  if (group & leftoverBits) return index;
  out[0] = static_cast<uint8_t>(group >> 16);
  if (dataCount == 3) out[1] = static_cast<uint8_t>(group >> 8);
  out += dataCount - 1;
  return length;
}

size_t RookFastCodec::decodeHex(const unsigned char* text, size_t index, size_t length,
                                uint8_t*& out) const {
  const uint32_t* high = placedValues_[0].data();
  const uint32_t* low = placedValues_[1].data();
  uint8_t* to = out;
  while (length - index >= 2) {
    const uint32_t byte = high[text[index]] | low[text[index + 1]];
    if (byte & kNotData) break;
    *to++ = static_cast<uint8_t>(byte);
    index += 2;
  }
  out = to;
  return index;
}
