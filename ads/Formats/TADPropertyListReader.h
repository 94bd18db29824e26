#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/Value.h"

// Reads a property list in any of the formats the library meets: JSON, and XML and binary
// through the installed platform's property-list reading (none without it). Dictionaries, arrays,
// strings, integers, reals, booleans, dates and data become the matching base::Value; other kinds
// (keyed-archive references) are left out.
//
// The bytes come from outside the program and are treated as hostile: more than kMaxBytes,
// nesting deeper than kMaxDepth, or a binary list that expands to more than kMaxValues values is
// refused whole, as is a list with a string holding a NUL character, and anything that does not
// read. Refusal is nothing, never a partial value.
class TADPropertyListReader {
 public:
  static constexpr size_t kMaxBytes = 4 * 1024 * 1024;
  static constexpr size_t kMaxDepth = 256;
  static constexpr size_t kMaxValues = 1024 * 1024;

  static std::optional<base::Value> valueWithBytes(std::string_view bytes);
  // Nothing as well when path is not a regular file that can be read.
  static std::optional<base::Value> valueWithContentsOfFile(const std::string& path);
};
