#pragma once

// What the property-list fuzz targets compare: values as a binary list can keep them.

#include <cmath>

#include "base/Utf8Validator.h"
#include "base/Value.h"

namespace fuzz {

// Equality as a binary list can keep it: a NaN equals a NaN, and a date its own time to within
// two microseconds, as libplist keeps microseconds and truncates when it reads a date back.
inline bool sameValue(const base::Value& a, const base::Value& b) {
  if (a.kind() != b.kind()) return false;
  if (a.kind() == base::Value::Kind::Double && std::isnan(a.toDouble())) {
    return std::isnan(b.toDouble());
  }
  if (std::optional<base::Date> date = a.asDate()) {
    double difference =
        date->timeIntervalSinceReferenceDate() - b.asDate()->timeIntervalSinceReferenceDate();
    return std::abs(difference) <= 2e-6;
  }
  if (const base::Array* array = a.asArray()) {
    const base::Array& other = *b.asArray();
    if (array->size() != other.size()) return false;
    for (size_t i = 0; i < array->size(); ++i) {
      if (!sameValue((*array)[i], other[i])) return false;
    }
    return true;
  }
  if (const base::Dictionary* dictionary = a.asDictionary()) {
    const base::Dictionary& other = *b.asDictionary();
    if (dictionary->size() != other.size()) return false;
    for (const auto& entry : *dictionary) {
      const base::Value* item = other.find(entry.first);
      if (!item || !sameValue(entry.second, *item)) return false;
    }
    return true;
  }
  return a == b;
}

// Whether every string and key is UTF-8. libplist writes one that is not as an empty UTF-16
// string, which it then refuses to read, so only such values can be expected to travel.
inline bool isAllUtf8(const base::Value& value) {
  if (std::optional<std::string_view> text = value.asString())
    return base::Utf8Validator::isValid(*text);
  if (const base::Array* array = value.asArray()) {
    for (const base::Value& item : *array) {
      if (!isAllUtf8(item)) return false;
    }
  } else if (const base::Dictionary* dictionary = value.asDictionary()) {
    for (const auto& entry : *dictionary) {
      if (!base::Utf8Validator::isValid(entry.first) || !isAllUtf8(entry.second)) return false;
    }
  }
  return true;
}

}  // namespace fuzz
