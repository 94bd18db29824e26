#pragma once

#include "platform/storage/PropertyListReading.h"

namespace platform::plist {

// Property lists read with libplist, behind the guard that it cannot be walked past.
class PlistReading : public PropertyListReading {
 public:
  std::optional<base::Value> read(std::string_view bytes, const Limits& limits) const override;
};

}  // namespace platform::plist
