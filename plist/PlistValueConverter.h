#pragma once

#include <plist/plist.h>

#include <cstddef>
#include <memory>
#include <optional>

#include "base/Value.h"

// Owns a libplist node tree.
struct PlistNodeFree {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistNode = std::unique_ptr<void, PlistNodeFree>;

// Converts between base::Value and libplist nodes. Every value kind but null has a node kind;
// nulls inside containers are left out, and decimals become reals (a property list has no exact
// decimal). Reading refuses trees nested deeper than kMaxDepth. Node kinds without a counterpart
// (keyed-archive references) are refused too — a damaged file reads as nothing rather than as
// part of its contents — unless the caller asks to leave them out of their containers.
class PlistValueConverter {
 public:
  static constexpr size_t kMaxDepth = 256;
  enum class OtherKinds { kRefuse, kLeaveOut };

  // nullptr for a null value.
  static PlistNode nodeFromValue(const base::Value& value);
  static std::optional<base::Value> valueFromNode(plist_t node,
                                                  OtherKinds others = OtherKinds::kRefuse);
};
