#include "encoding/RookUTF8.h"

bool RookIsValidUTF8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p != end) {
    const unsigned char lead = *p++;
    if (lead < 0x80) continue;
    int continuations;
    unsigned char low = 0x80;  // bounds of the first continuation byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      continuations = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      continuations = 2;
      if (lead == 0xE0) low = 0xA0;   // overlong
      if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      continuations = 3;
      if (lead == 0xF0) low = 0x90;   // overlong
      if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
      return false;
    }
    if (end - p < continuations) return false;
    if (*p < low || *p > high) return false;
    for (int i = 1; i < continuations; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
    }
    p += continuations;
  }
  return true;
}
