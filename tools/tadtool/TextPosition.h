#pragma once

#include <cstddef>
#include <string_view>

// Where a byte offset lies in UTF-8 text, as an editor shows it: the line (lines end at "\n")
// and the column, in characters rather than bytes, both counted from 1. An offset past the end
// is the end.
struct TextPosition {
  size_t line = 1;
  size_t column = 1;

  static TextPosition of(std::string_view text, size_t offset);
};
