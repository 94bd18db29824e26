#include "ads/View/TADPageConsole.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using namespace std::string_literals;

// What a page may put in a line, and what the console shows of it: nothing that moves the cursor,
// clears the screen, starts a line or turns the text around reaches the terminal as itself.
TEST(TADPageConsoleTest, ControlsAndBrokenUTF8AreEscapedAndTheRestIsKept) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain text, ü, 日本, 😀", "plain text, ü, 日本, 😀"},
      {"a\nb\rc\td", "a\\nb\\rc\\td"},
      {"\x1b[2J\x07", "\\x1b[2J\\x07"},
      {"a\0b\x7f"s, "a\\x00b\\x7f"},
      {"back\\slash \\x1b", "back\\\\slash \\\\x1b"},
      {"\xc2\x9b"
       "31m \xc2\x85",
       "\\u009b31m \\u0085"},                          // C1 controls
      {"\xe2\x80\xa8\xe2\x80\xa9", "\\u2028\\u2029"},  // line, paragraph separator
      {"\xe2\x80\xae"
       "kcah \xe2\x81\xa6",
       "\\u202ekcah \\u2066"},                                       // override, isolate
      {"\u202a\u2067\u2068\u2069", "\\u202a\\u2067\\u2068\\u2069"},  // the ends of both ranges
      {"\xff \xc0\xaf \xed\xa0\x80", "\\xff \\xc0\\xaf \\xed\\xa0\\x80"},  // not UTF-8
      {"cut \xe6\x97", "cut \\xe6\\x97"},
      {"\xe2\x80\x8f\xd8\x9c", "\\u200f\\u061c"},  // bidi marks
      // Only a line that would pass for the library's is marked.
      {"<Talvik> fake", "\\x3cTalvik> fake"},
      {"<Talvik>\tfake", "\\x3cTalvik>\\tfake"},
      {" <Talvik> x", " <Talvik> x"},
      {"[page] <Talvik>", "[page] <Talvik>"},
  };
  for (const auto& [text, shown] : cases) {
    SCOPED_TRACE(shown);
    EXPECT_EQ(TADPageConsole::line(text), shown);
  }
}

// A line is cut after 1 KB of what is written, never inside a character or an escape, and says
// how much of the page's text is left out.
TEST(TADPageConsoleTest, ALongLineIsCutAtAWholeCharacterSayingHowMuchWasLeftOut) {
  const std::string mebibyte(1 << 20, 'x');
  const std::string euros = std::string(1022, 'a') + "\xe2\x82\xac\xe2\x82\xac";  // 1028 bytes
  const std::string escapes = std::string(1021, 'a') + "\x1b\x1b";                // 1023 bytes
  const std::pair<std::string, std::string> cases[] = {
      {mebibyte, std::string(1024, 'x') + "\u2026 (1047552 more bytes)"},
      {std::string(1024, 'x'), std::string(1024, 'x')},
      {euros, std::string(1022, 'a') + "\u2026 (6 more bytes)"},
      {escapes, std::string(1021, 'a') + "\u2026 (2 more bytes)"},
      {"<Talvik>" + mebibyte,
       "\\x3cTalvik>" + std::string(1013, 'x') + "\u2026 (1047563 more bytes)"},
  };
  for (const auto& [text, shown] : cases) {
    EXPECT_EQ(TADPageConsole::line(text), shown) << text.size();
  }
}

}  // namespace
