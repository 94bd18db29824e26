#include "ads/Statistics/TADStatisticsCore.h"

#include "platform/storage/UserDefaults.h"

TADStatisticsCore::TADStatisticsCore(std::string identifier) : identifier_(std::move(identifier)) {
  loadPersistentStatistics();
}

TADStatisticsCore::~TADStatisticsCore() {
  if (platform::UserDefaults* defaults = platform::UserDefaults::standardIfInstalled()) {
    saveTo(*defaults);
  }
}

std::string TADStatisticsCore::userDefaultsKey() const {
  return "talvik_stats_" + identifier_;
}

void TADStatisticsCore::setObject(const base::Value& value, std::string key, bool matches) {
  if (matches) statistics_.set(std::move(key), value);
}

void TADStatisticsCore::setNumber(const base::Value& value, std::string key) {
  setObject(value, std::move(key), value.isNumber() || value.isBoolean());
}
void TADStatisticsCore::setString(const base::Value& value, std::string key) {
  setObject(value, std::move(key), value.isString());
}
void TADStatisticsCore::setDate(const base::Value& value, std::string key) {
  setObject(value, std::move(key), value.isDate());
}
void TADStatisticsCore::setArray(const base::Value& value, std::string key) {
  setObject(value, std::move(key), value.isArray());
}
void TADStatisticsCore::setDictionary(const base::Value& value, std::string key) {
  setObject(value, std::move(key), value.isDictionary());
}

int32_t TADStatisticsCore::addValue(int32_t value, std::string key) {
  const base::Value* stored = statistics_.find(key);
  auto current = static_cast<uint32_t>(stored ? stored->toInt64() : 0);
  // Counters are 32-bit and wrap rather than overflow.
  auto sum = static_cast<int32_t>(current + static_cast<uint32_t>(value));
  statistics_.set(std::move(key), sum);
  return sum;
}

void TADStatisticsCore::loadPersistentStatistics() {
  if (auto stored = platform::UserDefaults::standard().dictionaryForKey(userDefaultsKey())) {
    statistics_.merge(*stored);
  }
}

void TADStatisticsCore::savePersistentStatistics() {
  saveTo(platform::UserDefaults::standard());
}

void TADStatisticsCore::saveTo(platform::UserDefaults& defaults) {
  defaults.setObject(userDefaultsKey(), statistics_);
  defaults.synchronize();
}
