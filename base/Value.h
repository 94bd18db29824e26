#pragma once

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "base/Date.h"
#include "base/Decimal.h"

namespace base {

class Value;

using Data = std::vector<uint8_t>;
using Array = std::vector<Value>;

// A dictionary of string keys to values, one value per key. Entries keep the order in which
// their keys were first inserted; replacing a value keeps its place. Lookup is linear for small
// dictionaries and hashed for large ones, so building a large dictionary stays linear.
class Dictionary {
 public:
  // A key and its value (defined below, once Value is complete).
  struct Entry;

  Dictionary();
  Dictionary(std::initializer_list<Entry> entries);
  Dictionary(const Dictionary& other);
  Dictionary(Dictionary&& other) noexcept;
  Dictionary& operator=(const Dictionary& other);
  Dictionary& operator=(Dictionary&& other) noexcept;
  ~Dictionary();

  size_t size() const;
  bool empty() const;
  void reserve(size_t count);

  // The value under the key, or nullptr.
  const Value* find(std::string_view key) const;
  Value* find(std::string_view key);
  bool contains(std::string_view key) const { return find(key) != nullptr; }

  // Inserts or replaces; returns the stored value.
  Value& set(std::string key, Value value);
  // Inserts every entry of other, replacing values of keys already present.
  void merge(const Dictionary& other);
  // Removes the key's entry; returns whether there was one.
  bool erase(std::string_view key);
  void clear();

  std::vector<Entry>::const_iterator begin() const;
  std::vector<Entry>::const_iterator end() const;

  // Same keys with equal values, in any order.
  friend bool operator==(const Dictionary& a, const Dictionary& b);

 private:
  class Index;
  size_t indexOf(std::string_view key) const;  // size() when absent
  void rebuildIndex();

  std::vector<Entry> entries_;
  std::unique_ptr<Index> index_;
};

// A value of one of the property-list kinds that the library passes around. Numbers come in three
// kinds: 64-bit integers, doubles and exact decimals (what the JSON reader produces); they compare
// and convert across kinds by numeric value.
class Value {
 public:
  enum class Kind {
    Null,
    Boolean,
    Integer,
    Double,
    Decimal,
    String,
    Date,
    Data,
    Array,
    Dictionary
  };

  Value() = default;
  Value(std::nullptr_t) {}
  Value(bool b) : storage_(b) {}
  Value(int i) : storage_(int64_t{i}) {}
  Value(unsigned i) : storage_(int64_t{i}) {}
  Value(long i) : storage_(int64_t{i}) {}
  Value(long long i) : storage_(int64_t{i}) {}
  Value(unsigned long i) : storage_(static_cast<int64_t>(i)) {}
  Value(double d) : storage_(d) {}
  Value(float f) : storage_(double{f}) {}
  Value(base::Decimal d) : storage_(std::move(d)) {}
  Value(std::string s) : storage_(std::move(s)) {}
  Value(std::string_view s) : storage_(std::string(s)) {}
  Value(const char* s) : storage_(std::string(s)) {}
  Value(base::Date d) : storage_(d) {}
  Value(base::Data d) : storage_(std::move(d)) {}
  Value(base::Array a) : storage_(std::move(a)) {}
  Value(base::Dictionary d) : storage_(std::move(d)) {}

  Kind kind() const { return static_cast<Kind>(storage_.index()); }
  bool isNull() const { return kind() == Kind::Null; }
  bool isBoolean() const { return kind() == Kind::Boolean; }
  bool isNumber() const;  // integer, double or decimal
  bool isString() const { return kind() == Kind::String; }
  bool isDate() const { return kind() == Kind::Date; }
  bool isData() const { return kind() == Kind::Data; }
  bool isArray() const { return kind() == Kind::Array; }
  bool isDictionary() const { return kind() == Kind::Dictionary; }

  // Typed access; each returns nullptr when the value is of another kind.
  const bool* asBoolean() const { return std::get_if<bool>(&storage_); }
  const std::string* asString() const { return std::get_if<std::string>(&storage_); }
  const base::Date* asDate() const { return std::get_if<base::Date>(&storage_); }
  const base::Data* asData() const { return std::get_if<base::Data>(&storage_); }
  const base::Array* asArray() const { return std::get_if<base::Array>(&storage_); }
  base::Array* asArray() { return std::get_if<base::Array>(&storage_); }
  const base::Dictionary* asDictionary() const { return std::get_if<base::Dictionary>(&storage_); }
  base::Dictionary* asDictionary() { return std::get_if<base::Dictionary>(&storage_); }
  const base::Decimal* asDecimal() const { return std::get_if<base::Decimal>(&storage_); }

  // Numeric readings, as a number's intValue/doubleValue would give them: booleans count as 0
  // and 1, other kinds as 0. toInt64 truncates towards zero.
  int64_t toInt64() const;
  double toDouble() const;
  bool toBool() const { return toInt64() != 0 || toDouble() != 0; }
  // A number's decimal text: "42", "0.5", "1E+400"; booleans read "1" and "0" (a number's
  // stringValue). Empty for other kinds.
  std::string numberString() const;

  // Dictionary member, or nullptr when this is not a dictionary or has no such key.
  const Value* find(std::string_view key) const;

  // A readable rendering in the platform's description style: strings bare at the top level,
  // arrays as "(\n    a,\n    b\n)", dictionaries as "{\n    k = v;\n}". Used in console lines.
  std::string description() const;

  // Deep equality; numbers of different kinds are equal when their values are.
  friend bool operator==(const Value& a, const Value& b);

 private:
  std::variant<std::monostate, bool, int64_t, double, base::Decimal, std::string, base::Date,
               base::Data, base::Array, base::Dictionary>
      storage_;
};

// Writes the value's description (for diagnostics and test failure messages).
std::ostream& operator<<(std::ostream& out, const Value& value);

struct Dictionary::Entry {
  std::string first;
  Value second;
};

inline size_t Dictionary::size() const {
  return entries_.size();
}
inline bool Dictionary::empty() const {
  return entries_.empty();
}
inline void Dictionary::reserve(size_t count) {
  entries_.reserve(count);
}
inline std::vector<Dictionary::Entry>::const_iterator Dictionary::begin() const {
  return entries_.begin();
}
inline std::vector<Dictionary::Entry>::const_iterator Dictionary::end() const {
  return entries_.end();
}

}  // namespace base
