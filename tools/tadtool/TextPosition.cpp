#include "tools/tadtool/TextPosition.h"

#include <algorithm>

TextPosition TextPosition::of(std::string_view text, size_t offset) {
  std::string_view before = text.substr(0, std::min(offset, text.size()));
  TextPosition position;
  size_t lineStart = 0;
  if (size_t lastBreak = before.rfind('\n'); lastBreak != std::string_view::npos) {
    position.line += static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
    lineStart = lastBreak + 1;
  }
  // Each character has one byte that is not a continuation byte (10xxxxxx).
  for (char byte : before.substr(lineStart))
    position.column += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return position;
}
