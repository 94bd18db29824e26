#include "ads/Formats/TADMacros.h"

#include "base/Error.h"
#include "json/TAD_VeskJSON.h"

std::optional<base::Dictionary> TADMacros::readJson(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  base::Error error;
  std::optional<base::Value> value = TAD_VeskJSON().objectWithString(*text, &error);
  if (!value || !value->isDictionary()) return std::nullopt;
  return std::move(*value->asDictionary());
}

std::optional<std::string> TADMacros::jsonify(const base::Value* object) {
  if (!object) return std::nullopt;
  base::Error error;
  return TAD_VeskJSON().stringWithObject(*object, &error).value_or(std::string());
}
