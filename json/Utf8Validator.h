#pragma once

// Utf8Validator: whether bytes are well-formed UTF-8 as the Unicode standard defines it: no
// overlong forms, no encoded surrogates, nothing beyond U+10FFFF, no cut-off sequences.

#include <string_view>

class Utf8Validator {
 public:
  static bool isValid(std::string_view bytes);
};
