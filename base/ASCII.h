#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace base {

// Small text rules for protocol words (schemes, header names, language tags, list items). They
// act on ASCII only and never consult the locale: bytes outside A-Z pass through untouched, so
// UTF-8 text stays valid and a Turkish or Latin-1 locale changes nothing.

// The text with A-Z turned into a-z.
std::string lowercased(std::string_view text);

// Whether the texts are equal once both are lower-cased as above.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// The pieces between separators, empty pieces kept: n separators give n + 1 pieces, so empty
// text gives one empty piece.
std::vector<std::string> split(std::string_view text, char separator);

// The text without the leading and trailing bytes found in blanks; empty when all are blanks.
std::string trimmed(std::string_view text, std::string_view blanks);

}  // namespace base
