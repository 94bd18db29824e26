#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/core/ConsoleRateLimit.h"

// One page's console lines, written to the library's console as the page wrote them, with no
// prefix, but so that a developer reading the console can still tell them from the library's own
// and nothing in them can steer the terminal. Pages are strangers' code.
//
// Nothing in a line can steer the terminal or start another line: C0 controls and DEL, C1
// controls, the line and paragraph separators and the bidirectional marks, embeddings, overrides
// and isolates are written as escapes ("\n", "\r", "\t", "\xHH" for other bytes below 0x80,
// "\uHHHH" for the rest), bytes that are no UTF-8 as "\xHH", and the backslash is doubled so that
// an escape in the page's own text stays distinguishable.
//
// A line that would begin like the library's own ("<Talvik>") has its first "<" written as the
// escape "\x3c": it no longer passes for the library's line (whose lines are those beginning with
// "<Talvik> "), reads as the page wrote it once unescaped, and needs no rule beyond the escaping
// every other line follows, since a page's own backslash is always doubled.
//
// A line is cut after kLongestLine bytes of its escaped text, at the end of a whole character or
// escape, and then says how many bytes of the page's text were left out ("… (N more bytes)"). At
// most kLinesPerSecond lines are written a second (platform::ConsoleRateLimit).
class TADPageConsole {
 public:
  static constexpr int kLinesPerSecond = 10;
  static constexpr size_t kLongestLine = 1024;

  TADPageConsole() = default;
  TADPageConsole(const TADPageConsole&) = delete;
  TADPageConsole& operator=(const TADPageConsole&) = delete;

  void log(std::string_view text);
  // The line written for text: escaped, marked and cut as above.
  static std::string line(std::string_view text);

 private:
  platform::ConsoleRateLimit limit_{kLinesPerSecond, "console lines of a page"};
};
