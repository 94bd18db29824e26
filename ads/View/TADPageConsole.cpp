#include "ads/View/TADPageConsole.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/core/Console.h"

namespace {

struct CodePoint {
  char32_t value;
  size_t length;
};

size_t sequenceLength(uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The UTF-8 sequence at the start of text; none when it is no well-formed sequence (a stray
// continuation byte, a cut sequence, an overlong form, a surrogate, or beyond U+10FFFF).
std::optional<CodePoint> decodeSequence(std::string_view text) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  uint8_t lead = byte(0);
  size_t length = sequenceLength(lead);
  if (length == 0 || text.size() < length) return std::nullopt;
  char32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
    value = (value << 6) | (byte(i) & 0x3F);
  }
  constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kShortest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return std::nullopt;
  }
  return CodePoint{value, length};
}

bool steersTheLine(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The escape of the control c.
std::string escapeOf(char32_t c) {
  switch (c) {
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    case '\t':
      return "\\t";
    default:
      break;
  }
  char escape[8];
  std::snprintf(escape, sizeof escape, c < 0x80 ? "\\x%02x" : "\\u%04x", unsigned(c));
  return escape;
}

}  // namespace

std::string TADPageConsole::line(std::string_view text) {
  std::string out;
  size_t at = 0;
  if (text.starts_with("<Talvik>")) {
    out = "\\x3c";
    at = 1;
  }
  while (at < text.size()) {
    std::string_view rest = text.substr(at);
    std::optional<CodePoint> next = decodeSequence(rest);
    size_t length = next ? next->length : 1;
    std::string piece;
    if (!next) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", unsigned(static_cast<uint8_t>(rest[0])));
      piece = escape;
    } else if (next->value == '\\') {
      piece = "\\\\";
    } else if (steersTheLine(next->value)) {
      piece = escapeOf(next->value);
    } else {
      piece = rest.substr(0, length);
    }
    if (out.size() + piece.size() > kLongestLine) {
      out += "\u2026 (" + std::to_string(text.size() - at) + " more bytes)";
      break;
    }
    out += piece;
    at += length;
  }
  return out;
}

void TADPageConsole::log(std::string_view text) {
  if (limit_.take()) platform::Console::logPageLine(line(text));
}
