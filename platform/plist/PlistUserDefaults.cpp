#include "platform/plist/PlistUserDefaults.h"

#include <plist/plist.h>

#include <cstdlib>

#include "plist/PlistSafeReader.h"
#include "plist/PlistValueConverter.h"

namespace platform::plist {

namespace {

// The file is the program's own, but a damaged one must not take the program down with it.
constexpr PlistSafeReader::Limits kFileLimits{64 * 1024 * 1024, PlistValueConverter::kMaxDepth,
                                              16 * 1024 * 1024};

}  // namespace

std::shared_ptr<const PlistFormat> PlistFormat::shared() {
  static const auto format = std::make_shared<const PlistFormat>();
  return format;
}

std::optional<base::Dictionary> PlistFormat::dictionaryFromFileBytes(std::string_view bytes) const {
  std::optional<base::Value> value = PlistSafeReader::read(bytes, kFileLimits);
  if (!value || !value->isDictionary()) return std::nullopt;
  return std::move(*value->asDictionary());
}

std::optional<std::string> PlistFormat::fileBytesFromDictionary(
    const base::Dictionary& values) const {
  PlistNode root = PlistValueConverter::nodeFromValue(base::Value(values));
  char* raw = nullptr;
  uint32_t length = 0;
  plist_to_bin(root.get(), &raw, &length);
  if (!raw) return std::nullopt;
  std::string bytes(raw, length);
  std::free(raw);
  return bytes;
}

}  // namespace platform::plist
