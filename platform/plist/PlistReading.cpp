#include "platform/plist/PlistReading.h"

#include "plist/PlistSafeReader.h"

namespace platform::plist {

std::optional<base::Value> PlistReading::read(std::string_view bytes, const Limits& limits) const {
  return PlistSafeReader::read(bytes, {limits.maxBytes, limits.maxDepth, limits.maxValues},
                               PlistValueConverter::OtherKinds::kLeaveOut);
}

}  // namespace platform::plist
