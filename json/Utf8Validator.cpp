#include "json/Utf8Validator.h"

#include <cstdint>
#include <cstring>

namespace {

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// The length of the well-formed sequence at the start of [p, end), or 0 when there is none.
size_t sequenceLength(const unsigned char* p, const unsigned char* end) {
  unsigned char lead = p[0];
  size_t available = static_cast<size_t>(end - p);
  if (lead < 0x80) return 1;
  if (lead < 0xC2) return 0;  // a continuation byte, or an overlong two-byte lead
  if (lead < 0xE0) return available >= 2 && isContinuation(p[1]) ? 2 : 0;
  if (lead < 0xF0) {
    if (available < 3 || !isContinuation(p[1]) || !isContinuation(p[2])) return 0;
    if (lead == 0xE0 && p[1] < 0xA0) return 0;   // overlong
    if (lead == 0xED && p[1] >= 0xA0) return 0;  // a surrogate
    return 3;
  }
  if (lead < 0xF5) {
    if (available < 4 || !isContinuation(p[1]) || !isContinuation(p[2]) || !isContinuation(p[3])) {
      return 0;
    }
    if (lead == 0xF0 && p[1] < 0x90) return 0;   // overlong
    if (lead == 0xF4 && p[1] >= 0x90) return 0;  // beyond U+10FFFF
    return 4;
  }
  return 0;
}

}  // namespace

bool Utf8Validator::isValid(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p != end) {
    // Plain ASCII, the bulk of most texts, is passed over eight bytes at a time.
    while (end - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, sizeof word);
      if (word & 0x8080808080808080ULL) break;
      p += 8;
    }
    if (p == end) break;
    size_t length = sequenceLength(p, end);
    if (length == 0) return false;
    p += length;
  }
  return true;
}
