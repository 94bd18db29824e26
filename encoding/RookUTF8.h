#pragma once

#include <string_view>

// Whether text is well-formed UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool RookIsValidUTF8(std::string_view text);
