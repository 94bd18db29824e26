#pragma once

#include <string>
#include <string_view>

#include "platform/RunLoop.h"

// One page's console lines, as the library writes them to its console: each on one line of its
// own, marked as the page's, and only so many a second. Pages are strangers' code; a developer
// reading the console must be able to tell their lines from the library's.
//
// Nothing in a line can steer the terminal or start another line: C0 controls and DEL, C1
// controls, the line and paragraph separators and the bidirectional embedding, override and
// isolate controls are written as escapes ("\n", "\r", "\t", "\xHH" for other bytes below 0x80,
// "\uHHHH" for the rest), bytes that are no UTF-8 as "\xHH", and the backslash is doubled so that
// an escape in the page's own text stays distinguishable. Every line begins with "[page] ": a page
// line can never begin like the library's own ("<Talvik> …"), whatever it holds, and a reader
// needs no rule about which lines to trust beyond that one.
//
// At most kLinesPerSecond lines in each second, counted from the first line of the second; the
// rest of that second is dropped, and at its end one library line says how many were dropped.
class TADPageConsole {
 public:
  static constexpr int kLinesPerSecond = 10;
  static constexpr std::string_view kPageLinePrefix = "[page] ";

  TADPageConsole() = default;
  TADPageConsole(const TADPageConsole&) = delete;
  TADPageConsole& operator=(const TADPageConsole&) = delete;

  void log(std::string_view text);
  // The text with everything named above escaped.
  static std::string escaped(std::string_view text);

 private:
  void reportDropped();

  double secondStart_ = 0;
  int written_ = 0;
  int dropped_ = 0;
  // Stops with the console, so its task never outlives it.
  platform::RunLoop::Timer dropReport_;
};
