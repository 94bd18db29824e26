#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Value.h"

namespace platform {

// The application's persistent key-value store: property-list values under string keys. This
// class keeps them in memory; a backend that stores them on disk overrides synchronize() and
// loads its file at creation. Reading a key of another kind answers nothing (or 0), never fails.
class UserDefaults {
 public:
  virtual ~UserDefaults() = default;
  static UserDefaults& standard();
  // The standard store, or nullptr once no platform is installed (a process-wide object that
  // outlives the platform at exit has nowhere left to save).
  static UserDefaults* standardIfInstalled();

  const base::Value* objectForKey(std::string_view key) const { return values_.find(key); }
  std::optional<std::string> stringForKey(std::string_view key) const;
  std::optional<base::Dictionary> dictionaryForKey(std::string_view key) const;
  int64_t integerForKey(std::string_view key) const;
  double doubleForKey(std::string_view key) const;
  bool boolForKey(std::string_view key) const;

  void setObject(std::string key, base::Value value);
  void removeObjectForKey(std::string_view key);

  // Writes pending changes to permanent storage; answers whether that worked. In memory there is
  // nothing to write.
  virtual bool synchronize() { return true; }

  const base::Dictionary& dictionaryRepresentation() const { return values_; }

 protected:
  base::Dictionary values_;
};

}  // namespace platform
