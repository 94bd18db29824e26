#pragma once

// Utf8Validator: whether bytes are well-formed UTF-8 as the Unicode standard defines it: no
// overlong forms, no encoded surrogates, nothing beyond U+10FFFF, no cut-off sequences.

#include <cstddef>
#include <string_view>

namespace base {

class Utf8Validator {
 public:
  static bool isValid(std::string_view bytes);

  // The length of the well-formed sequence that starts at p, reading no further than end; 0 when
  // none starts there. Inline, as readers call it for every non-ASCII character they pass.
  [[gnu::always_inline]] static size_t sequenceLength(const char* p, const char* end) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(p);
    unsigned char lead = bytes[0];
    size_t available = static_cast<size_t>(end - p);
    if (lead < 0x80) return 1;
    if (lead < 0xC2) return 0;  // a continuation byte, or an overlong two-byte lead
    if (lead < 0xE0) return available >= 2 && isContinuation(bytes[1]) ? 2 : 0;
    if (lead < 0xF0) {
      if (available < 3 || !isContinuation(bytes[1]) || !isContinuation(bytes[2])) return 0;
      if (lead == 0xE0 && bytes[1] < 0xA0) return 0;   // overlong
      if (lead == 0xED && bytes[1] >= 0xA0) return 0;  // a surrogate
      return 3;
    }
    if (lead < 0xF5) {
      if (available < 4 || !isContinuation(bytes[1]) || !isContinuation(bytes[2]) ||
          !isContinuation(bytes[3])) {
        return 0;
      }
      if (lead == 0xF0 && bytes[1] < 0x90) return 0;   // overlong
      if (lead == 0xF4 && bytes[1] >= 0x90) return 0;  // beyond U+10FFFF
      return 4;
    }
    return 0;
  }

 private:
  static bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }
};

}  // namespace base
