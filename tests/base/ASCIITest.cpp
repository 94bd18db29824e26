#include "base/ASCII.h"

#include <gtest/gtest.h>

namespace base {
namespace {

TEST(ASCIITest, LowerCasesOnlyTheLettersAToZ) {
  struct Case {
    std::string_view text, expected;
  } cases[] = {
      {"", ""},
      {"HTTPS", "https"},
      {"MailTo", "mailto"},
      {"@[`{", "@[`{"},  // the neighbours of A-Z and a-z
      {"\xC3\x84pfel-\xC4", "\xC3\x84pfel-\xC4"},
      {"x-IDN\xCE\x91", "x-idn\xCE\x91"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(lowercased(c.text), c.expected) << c.text;
}

TEST(ASCIITest, ComparesIgnoringOnlyASCIICase) {
  struct Case {
    std::string_view a, b;
    bool equal;
  } cases[] = {
      {"", "", true},
      {"FiLe", "file", true},
      {"file", "files", false},
      {"files", "file", false},
      {"@", "`", false},  // 0x40 and 0x60 differ by the case bit but are
                          // no letters
      {"[", "{", false},
      {"\xC4", "\xE4", false},  // Latin-1 letters stay apart
  };
  for (const Case& c : cases) {
    EXPECT_EQ(equalsIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
  }
}

TEST(ASCIITest, SplitsKeepingEmptyPieces) {
  using Pieces = std::vector<std::string>;
  struct Case {
    std::string_view text;
    Pieces expected;
  } cases[] = {
      {"", {""}},
      {",", {"", ""}},
      {"a", {"a"}},
      {"a,b", {"a", "b"}},
      {",a,,b,", {"", "a", "", "b", ""}},
      {" a , b ", {" a ", " b "}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(split(c.text, ','), c.expected) << c.text;
}

TEST(ASCIITest, TrimsTheCallersBlanksFromBothEnds) {
  struct Case {
    std::string_view text, blanks, expected;
  } cases[] = {
      {"", " \t", ""},
      {" \t \t", " \t", ""},
      {"\t a b \t", " \t", "a b"},
      {"\r\na\n", " \t", "\r\na\n"},  // only the blanks asked for
      {"\r\na\n\v", " \t\r\n\v\f", "a"},
      {"x", " ", "x"},
      {" \xC2\xA0 ", " ", "\xC2\xA0"},  // a non-ASCII space is text
  };
  for (const Case& c : cases)
    EXPECT_EQ(trimmed(c.text, c.blanks), c.expected) << c.text;
}

}  // namespace
}  // namespace base
