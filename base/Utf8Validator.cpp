#include "base/Utf8Validator.h"

#include <cstdint>
#include <cstring>

namespace base {

bool Utf8Validator::isValid(std::string_view bytes) {
  const char* p = bytes.data();
  const char* end = p + bytes.size();
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

}  // namespace base
