#include "ads/View/TADPageConsole.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/Clock.h"
#include "platform/Console.h"

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
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void appendEscape(std::string& out, char32_t c) {
  switch (c) {
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  char escape[8];
  std::snprintf(escape, sizeof escape, c < 0x80 ? "\\x%02x" : "\\u%04x", unsigned(c));
  out += escape;
}

}  // namespace

std::string TADPageConsole::escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    std::optional<CodePoint> next = decodeSequence(text);
    if (!next) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", unsigned(static_cast<uint8_t>(text[0])));
      out += escape;
      text.remove_prefix(1);
      continue;
    }
    if (next->value == '\\') {
      out += "\\\\";
    } else if (steersTheLine(next->value)) {
      appendEscape(out, next->value);
    } else {
      out += text.substr(0, next->length);
    }
    text.remove_prefix(next->length);
  }
  return out;
}

void TADPageConsole::log(std::string_view text) {
  double now = platform::Clock::shared().monotonicSeconds();
  if (written_ == 0 || now - secondStart_ >= 1 || now < secondStart_) {
    // The report of the second before may not have run yet: it comes first.
    if (dropped_ > 0) {
      dropReport_.stop();
      reportDropped();
    }
    secondStart_ = now;
    written_ = 0;
  }
  if (written_ < kLinesPerSecond) {
    ++written_;
    platform::Console::log(std::string(kPageLinePrefix) + escaped(text));
    return;
  }
  if (dropped_++ == 0) {
    dropReport_ =
        platform::RunLoop::main().startTimer(secondStart_ + 1 - now, [this] { reportDropped(); });
  }
}

void TADPageConsole::reportDropped() {
  platform::Console::log("<Talvik> dropped " + std::to_string(dropped_) +
                         " console lines of a page, which may write " +
                         std::to_string(kLinesPerSecond) + " a second");
  dropped_ = 0;
}
