#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "base/Value.h"
#include "plist/PlistValueConverter.h"

// Reads XML and binary property lists through libplist after refusing what would crash or hang
// it: libplist parses recursively (deep nesting exhausts its stack), checks binary lists for
// cycles in quadratic time, and aborts the whole program when asked for a string that holds a NUL
// character. So the bytes are measured first — size, element nesting, the values a binary list's
// containers reach, NUL characters in strings — and anything over the limits, or markup whose
// extent libplist could read differently from the scan, is refused whole. Refusal is nothing,
// never a partial value. Every byte may come from someone hostile.
class PlistSafeReader {
 public:
  struct Limits {
    size_t maxBytes;
    // Nesting of containers.
    size_t maxDepth;
    // Values that a binary list's containers refer to, counted with repeats.
    size_t maxValues;
  };

  // bytes in the binary form (starting "bplist00") or in XML.
  static std::optional<base::Value> read(
      std::string_view bytes, const Limits& limits,
      PlistValueConverter::OtherKinds others = PlistValueConverter::OtherKinds::kRefuse);
};
