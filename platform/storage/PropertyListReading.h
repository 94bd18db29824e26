#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "base/Value.h"

namespace platform {

// What a backend supplies to read property lists in their XML and binary forms. The bytes come
// from outside the program: more than maxBytes, nesting deeper than maxDepth, a binary list that
// expands to more than maxValues values, or a string holding a NUL character is refused whole,
// as is anything that does not read. Kinds without a base::Value counterpart (keyed-archive
// references) are left out; the rest of the list still travels.
class PropertyListReading {
 public:
  struct Limits {
    size_t maxBytes;
    size_t maxDepth;
    size_t maxValues;
  };

  virtual ~PropertyListReading() = default;
  virtual std::optional<base::Value> read(std::string_view bytes, const Limits& limits) const = 0;
};

}  // namespace platform
