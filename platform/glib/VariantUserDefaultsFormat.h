#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/glib/FileUserDefaults.h"

namespace platform::glib {

// User defaults as a serialised GVariant dictionary (type a{sv}, little-endian), GLib's own
// format for settings: <settings folder>/<identifier>.gvariant. Each kind of value has a type of
// its own, so every value reads back as the kind it was saved as: null "mv" (nothing), boolean
// "b", integer "x", double "d", decimal "(s)" (its digits as text), string "s", date "(d)"
// (seconds since the reference date), data "ay", array "av", dictionary "a{sv}".
//
// The file is the program's own, but a damaged one must not take the program down with it: bytes
// that are not in GVariant's normal form, values of other types, nesting deeper than kMaxDepth
// and files over kMaxBytes read as nothing. A store nested deeper (GVariant's own limit on nesting
// is lower than a property list's) or holding a string that is no UTF-8 or holds a NUL is not
// saved.
class VariantUserDefaultsFormat : public FileUserDefaults::Format {
 public:
  static constexpr size_t kMaxBytes = 64 * 1024 * 1024;
  static constexpr size_t kMaxDepth = 32;

  // The one format, shared.
  static std::shared_ptr<const VariantUserDefaultsFormat> shared();

  std::string_view name() const override { return "GVariant"; }
  std::string_view extension() const override { return ".gvariant"; }
  std::optional<base::Dictionary> dictionaryFromFileBytes(std::string_view bytes) const override;
  std::optional<std::string> fileBytesFromDictionary(const base::Dictionary& values) const override;
};

}  // namespace platform::glib
