#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/glib/FileUserDefaults.h"

namespace platform::plist {

// User defaults in a property-list file per application (a binary list, which keeps every double
// exactly), as the soundboard has always kept them: <settings folder>/<identifier>.plist.
class PlistFormat : public glib::FileUserDefaults::Format {
 public:
  // The one format, shared.
  static std::shared_ptr<const PlistFormat> shared();

  std::string_view name() const override { return "property-list"; }
  std::string_view extension() const override { return ".plist"; }
  std::optional<base::Dictionary> dictionaryFromFileBytes(std::string_view bytes) const override;
  std::optional<std::string> fileBytesFromDictionary(const base::Dictionary& values) const override;
};

class PlistUserDefaults : public glib::FileUserDefaults {
 public:
  explicit PlistUserDefaults(std::string path)
      : FileUserDefaults(std::move(path), PlistFormat::shared()) {}

  static std::string defaultPath(const glib::ApplicationIdentity& identity) {
    return FileUserDefaults::defaultPath(identity, *PlistFormat::shared());
  }
  static std::optional<base::Dictionary> dictionaryFromFileBytes(std::string_view bytes) {
    return PlistFormat::shared()->dictionaryFromFileBytes(bytes);
  }
  static std::optional<std::string> fileBytesFromDictionary(const base::Dictionary& values) {
    return PlistFormat::shared()->fileBytesFromDictionary(values);
  }
};

}  // namespace platform::plist
