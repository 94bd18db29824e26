#include "platform/storage/UserDefaults.h"

namespace platform {

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
  const base::Value* value = values_.find(key);
  if (!value) return std::nullopt;
  if (auto text = value->asString()) return std::string(*text);
  if (value->isNumber()) return value->numberString();
  return std::nullopt;
}

std::optional<base::Dictionary> UserDefaults::dictionaryForKey(std::string_view key) const {
  const base::Value* value = values_.find(key);
  if (!value || !value->isDictionary()) return std::nullopt;
  return *value->asDictionary();
}

int64_t UserDefaults::integerForKey(std::string_view key) const {
  const base::Value* value = values_.find(key);
  return value ? value->toInt64() : 0;
}

double UserDefaults::doubleForKey(std::string_view key) const {
  const base::Value* value = values_.find(key);
  return value ? value->toDouble() : 0;
}

bool UserDefaults::boolForKey(std::string_view key) const {
  const base::Value* value = values_.find(key);
  return value && value->toBool();
}

void UserDefaults::setObject(std::string key, base::Value value) {
  if (value.isNull()) {
    values_.erase(key);
    return;
  }
  values_.set(std::move(key), std::move(value));
}

void UserDefaults::removeObjectForKey(std::string_view key) {
  values_.erase(key);
}

}  // namespace platform
