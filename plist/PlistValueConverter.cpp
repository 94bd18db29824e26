#include "plist/PlistValueConverter.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct MallocFree {
  void operator()(void* memory) const { std::free(memory); }
};
template <typename T>
using MallocPointer = std::unique_ptr<T, MallocFree>;

// libplist keeps a date as seconds and microseconds with the seconds truncated towards zero,
// and answers the microseconds without their sign; the sign of the seconds restores it. Only a
// date in the last second before the reference date reads back on the wrong side of it.
PlistNode dateNode(base::Date date) {
  double seconds = date.timeIntervalSinceReferenceDate();
  double whole = std::trunc(seconds);
  auto microseconds = static_cast<int32_t>(std::lround((seconds - whole) * 1e6));
  return PlistNode(plist_new_date(static_cast<int32_t>(whole), microseconds));
}

base::Date dateFromParts(int32_t seconds, int32_t microseconds) {
  double fraction = std::abs(microseconds) / 1e6;
  return base::Date(seconds < 0 ? seconds - fraction : seconds + fraction);
}

PlistNode arrayNode(const base::Array& array) {
  PlistNode node(plist_new_array());
  for (const base::Value& item : array) {
    if (PlistNode child = PlistValueConverter::nodeFromValue(item)) {
      plist_array_append_item(node.get(), child.release());
    }
  }
  return node;
}

PlistNode dictionaryNode(const base::Dictionary& dictionary) {
  PlistNode node(plist_new_dict());
  for (const auto& [key, item] : dictionary) {
    if (PlistNode child = PlistValueConverter::nodeFromValue(item)) {
      plist_dict_set_item(node.get(), key.str().c_str(), child.release());
    }
  }
  return node;
}

using OtherKinds = PlistValueConverter::OtherKinds;

// Nothing for a refused node; a null value for a node of another kind that is to be left out.
std::optional<base::Value> convert(plist_t node, size_t depth, OtherKinds others);

std::optional<base::Value> arrayValue(plist_t node, size_t depth, OtherKinds others) {
  base::Array array;
  uint32_t size = plist_array_get_size(node);
  array.reserve(size);
  for (uint32_t i = 0; i < size; ++i) {
    auto item = convert(plist_array_get_item(node, i), depth + 1, others);
    if (!item) return std::nullopt;
    if (!item->isNull()) array.push_back(std::move(*item));
  }
  return base::Value(std::move(array));
}

std::optional<base::Value> dictionaryValue(plist_t node, size_t depth, OtherKinds others) {
  base::Dictionary dictionary;
  plist_dict_iter rawIterator = nullptr;
  plist_dict_new_iter(node, &rawIterator);
  MallocPointer<void> iterator(rawIterator);
  while (true) {
    char* rawKey = nullptr;
    plist_t item = nullptr;
    plist_dict_next_item(node, iterator.get(), &rawKey, &item);
    MallocPointer<char> key(rawKey);
    if (!item) break;
    if (!key) return std::nullopt;
    auto value = convert(item, depth + 1, others);
    if (!value) return std::nullopt;
    if (!value->isNull()) dictionary.set(key.get(), std::move(*value));
  }
  return base::Value(std::move(dictionary));
}

std::optional<base::Value> convert(plist_t node, size_t depth, OtherKinds others) {
  if (depth > PlistValueConverter::kMaxDepth) return std::nullopt;
  switch (plist_get_node_type(node)) {
    case PLIST_DICT:
      return dictionaryValue(node, depth, others);
    case PLIST_ARRAY:
      return arrayValue(node, depth, others);
    case PLIST_STRING: {
      char* raw = nullptr;
      plist_get_string_val(node, &raw);
      MallocPointer<char> text(raw);
      return base::Value(text ? std::string(text.get()) : std::string());
    }
    case PLIST_UINT: {
      uint64_t bits = 0;
      plist_get_uint_val(node, &bits);
      // Negative integers are kept in their two's-complement bits.
      return base::Value(static_cast<long long>(bits));
    }
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return base::Value(value);
    }
    case PLIST_BOOLEAN: {
      uint8_t value = 0;
      plist_get_bool_val(node, &value);
      return base::Value(value != 0);
    }
    case PLIST_DATE: {
      int32_t seconds = 0;
      int32_t microseconds = 0;
      plist_get_date_val(node, &seconds, &microseconds);
      return base::Value(dateFromParts(seconds, microseconds));
    }
    case PLIST_DATA: {
      char* raw = nullptr;
      uint64_t length = 0;
      plist_get_data_val(node, &raw, &length);
      MallocPointer<char> bytes(raw);
      const auto* begin = reinterpret_cast<const uint8_t*>(bytes.get());
      return base::Value(bytes ? base::Data(begin, begin + length) : base::Data());
    }
    default:
      if (others == OtherKinds::kLeaveOut) return base::Value();
      return std::nullopt;
  }
}

}  // namespace

PlistNode PlistValueConverter::nodeFromValue(const base::Value& value) {
  switch (value.kind()) {
    case base::Value::Kind::Null:
      return nullptr;
    case base::Value::Kind::Boolean:
      return PlistNode(plist_new_bool(*value.asBoolean()));
    case base::Value::Kind::Integer:
      return PlistNode(plist_new_uint(static_cast<uint64_t>(value.toInt64())));
    case base::Value::Kind::Double:
    case base::Value::Kind::Decimal:
      return PlistNode(plist_new_real(value.toDouble()));
    case base::Value::Kind::String:
      return PlistNode(plist_new_string(std::string(*value.asString()).c_str()));
    case base::Value::Kind::Date:
      return dateNode(*value.asDate());
    case base::Value::Kind::Data: {
      const base::Data& data = *value.asData();
      return PlistNode(plist_new_data(reinterpret_cast<const char*>(data.data()), data.size()));
    }
    case base::Value::Kind::Array:
      return arrayNode(*value.asArray());
    case base::Value::Kind::Dictionary:
      return dictionaryNode(*value.asDictionary());
  }
  return nullptr;
}

std::optional<base::Value> PlistValueConverter::valueFromNode(plist_t node, OtherKinds others) {
  if (!node) return std::nullopt;
  std::optional<base::Value> value = convert(node, 0, others);
  if (value && value->isNull()) return std::nullopt;  // a root of another kind
  return value;
}
