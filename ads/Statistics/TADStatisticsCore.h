#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "base/Value.h"

namespace platform {
class UserDefaults;
}  // namespace platform

// A small persistent key-value store, kept whole in the user defaults under
// "talvik_stats_<identifier>". It loads at creation and saves on synchronize and when it goes.
// The typed setters store a value only when it is of their kind.
class TADStatisticsCore {
 public:
  // The store of identifier, loaded.
  static TADStatisticsCore initWithIdentifier(std::string identifier) {
    return TADStatisticsCore(std::move(identifier));
  }
  ~TADStatisticsCore();
  TADStatisticsCore(const TADStatisticsCore&) = delete;
  TADStatisticsCore& operator=(const TADStatisticsCore&) = delete;

  const std::string& identifier() const { return identifier_; }
  std::string userDefaultsKey() const;

  // The stored value, whatever its kind, or nullptr.
  const base::Value* objectForKey(std::string_view key) const { return statistics_.find(key); }

  void setNumber(const base::Value& value, std::string key);  // numbers and booleans
  void setString(const base::Value& value, std::string key);
  void setDate(const base::Value& value, std::string key);
  void setArray(const base::Value& value, std::string key);
  void setDictionary(const base::Value& value, std::string key);

  // Adds value to the stored number (0 when absent) as 32-bit integers, stores and returns the sum.
  int32_t addValue(int32_t value, std::string key);
  void removeObjectForKey(std::string_view key) { statistics_.erase(key); }
  void removeAllObjects() { statistics_.clear(); }

  void synchronize() { savePersistentStatistics(); }

 private:
  explicit TADStatisticsCore(std::string identifier);
  void setObject(const base::Value& value, std::string key, bool matches);
  void loadPersistentStatistics();
  void savePersistentStatistics();
  void saveTo(platform::UserDefaults& defaults);

  std::string identifier_;
  base::Dictionary statistics_;
};
