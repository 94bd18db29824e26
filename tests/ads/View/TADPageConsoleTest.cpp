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
       "\\u202ekcah \\u2066"},                                             // override, isolate
      {"\xff \xc0\xaf \xed\xa0\x80", "\\xff \\xc0\\xaf \\xed\\xa0\\x80"},  // not UTF-8
      {"cut \xe6\x97", "cut \\xe6\\x97"},
  };
  for (const auto& [text, shown] : cases) {
    SCOPED_TRACE(shown);
    EXPECT_EQ(TADPageConsole::escaped(text), shown);
  }
}

}  // namespace
