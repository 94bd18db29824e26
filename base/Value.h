#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/BlockPool.h"
#include "base/Date.h"
#include "base/Decimal.h"
#include "base/StringOf.h"

namespace base {

class Value;
struct DictionaryEntry;

// The allocator of the vectors that hold values and dictionary entries: their blocks come from
// BlockPool, which a reader of a document opens a scope of.
template <typename T>
struct PooledAllocator {
  using value_type = T;
  using size_type = size_t;
  using difference_type = std::ptrdiff_t;
  using propagate_on_container_move_assignment = std::true_type;
  using is_always_equal = std::true_type;

  PooledAllocator() noexcept = default;
  T* allocate(size_t count) {
    if (count > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(BlockPool::allocate(count * sizeof(T)));
  }
  void deallocate(T* block, size_t) noexcept { BlockPool::deallocate(block); }
  friend bool operator==(const PooledAllocator&, const PooledAllocator&) { return true; }
};

}  // namespace base

// Every std::vector<base::Value> (base::Array among them) and every vector of dictionary entries
// takes its blocks through PooledAllocator, while keeping the standard type that callers name.
template <>
class std::allocator<base::Value> : public base::PooledAllocator<base::Value> {
 public:
  allocator() noexcept = default;
  template <typename Other>
  allocator(const allocator<Other>&) noexcept {}
};
template <>
class std::allocator<base::DictionaryEntry> : public base::PooledAllocator<base::DictionaryEntry> {
 public:
  allocator() noexcept = default;
  template <typename Other>
  allocator(const allocator<Other>&) noexcept {}
};

namespace base {

using Data = std::vector<uint8_t>;
using Array = std::vector<Value>;

// A dictionary of string keys to values, one value per key. Entries keep the order in which
// their keys were first inserted; replacing a value keeps its place. Lookup is linear for small
// dictionaries and hashed for large ones, so building a large dictionary stays linear — also for
// keys chosen to collide: a dictionary whose keys pile up in its index changes to a hash keyed
// with a secret of the process, which outside input cannot aim at.
class Dictionary {
 public:
  // A key and its value (defined below, once Value is complete).
  using Entry = DictionaryEntry;

  Dictionary();
  Dictionary(std::initializer_list<Entry> entries);
  // Takes the entries in their order; a key given again replaces the value of its first entry,
  // as set() would. Building from a whole vector moves no entry when no key repeats.
  explicit Dictionary(std::vector<Entry>&& entries);
  Dictionary(const Dictionary& other);
  Dictionary(Dictionary&& other) noexcept;
  Dictionary& operator=(const Dictionary& other);
  Dictionary& operator=(Dictionary&& other) noexcept;
  ~Dictionary();

  size_t size() const;
  bool empty() const;
  // Room for count entries, and for a large count an index of that size made at once.
  void reserve(size_t count);

  // The value under the key, or nullptr.
  const Value* find(std::string_view key) const;
  Value* find(std::string_view key);
  bool contains(std::string_view key) const { return find(key) != nullptr; }
  // The string under the key; none when the key is absent or holds another kind (a number is
  // no string here).
  std::optional<std::string> stringForKey(std::string_view key) const;

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

  // For tests: how many index slots past the first this thread's lookups and insertions have
  // visited, in all. Stays proportional to their number whatever the keys are.
  static uint64_t probesForTesting();

 private:
  class Index;
  size_t indexOf(std::string_view key) const;  // size() when absent
  void rebuildIndex(size_t capacityFor);

  std::vector<Entry> entries_;
  std::unique_ptr<Index> index_;
};

// A value of one of the property-list kinds that the library passes around. Numbers come in three
// kinds: 64-bit integers, doubles and exact decimals (what the JSON reader produces); they compare
// and convert across kinds by numeric value.
class Value {
 public:
  enum class Kind : uint8_t {
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

  Value() { scalar_ = 0; }
  Value(std::nullptr_t) : Value() {}
  Value(bool b) : kind_(Kind::Boolean) {
    scalar_ = 0;
    boolean_ = b;
  }
  Value(int i) : kind_(Kind::Integer) { integer_ = i; }
  Value(unsigned i) : kind_(Kind::Integer) { integer_ = i; }
  Value(long i) : kind_(Kind::Integer) { integer_ = i; }
  Value(long long i) : kind_(Kind::Integer) { integer_ = i; }
  Value(unsigned long i) : kind_(Kind::Integer) { integer_ = static_cast<int64_t>(i); }
  Value(double d) : kind_(Kind::Double) { double_ = d; }
  Value(float f) : kind_(Kind::Double) { double_ = f; }
  Value(const base::Decimal& d) : kind_(Kind::Decimal) { new (&decimal_) base::Decimal(d); }
  Value(base::Decimal&& d) : kind_(Kind::Decimal) { new (&decimal_) base::Decimal(std::move(d)); }
  Value(const std::string& s) : kind_(Kind::String) { new (&string_) std::string(s); }
  Value(std::string&& s) : kind_(Kind::String) { new (&string_) std::string(std::move(s)); }
  Value(std::string_view s) : kind_(Kind::String) { new (&string_) std::string(stringOf(s)); }
  Value(const char* s) : kind_(Kind::String) { new (&string_) std::string(s); }
  Value(base::Date d) : kind_(Kind::Date) { new (&date_) base::Date(d); }
  // Containers are taken by reference, so that one moved in is moved once.
  Value(const base::Data& d) : kind_(Kind::Data) { new (&data_) base::Data(d); }
  Value(base::Data&& d) : kind_(Kind::Data) { new (&data_) base::Data(std::move(d)); }
  Value(const base::Array& a) : kind_(Kind::Array) { new (&array_) base::Array(a); }
  Value(base::Array&& a) : kind_(Kind::Array) { new (&array_) base::Array(std::move(a)); }
  Value(const base::Dictionary& d) : kind_(Kind::Dictionary) {
    new (&dictionary_) base::Dictionary(d);
  }
  Value(base::Dictionary&& d) : kind_(Kind::Dictionary) {
    new (&dictionary_) base::Dictionary(std::move(d));
  }

  Value(const Value& other);
  Value(Value&& other) noexcept : kind_(other.kind_) {
    if (isPlain()) {
      scalar_ = other.scalar_;
    } else if (kind_ == Kind::Decimal) {  // the reader's other common kind, moved inline
      new (&decimal_) base::Decimal(std::move(other.decimal_));
      other.kind_ = Kind::Null;  // what a move leaves behind holds no memory
      other.scalar_ = 0;
    } else {
      moveFrom(other);
    }
  }
  Value& operator=(const Value& other);
  Value& operator=(Value&& other) noexcept;
  ~Value() {
    if (isPlain()) return;
    if (kind_ == Kind::Decimal) {
      decimal_.~Decimal();
    } else {
      destroy();
    }
  }

  Kind kind() const { return kind_; }
  bool isNull() const { return kind() == Kind::Null; }
  bool isBoolean() const { return kind() == Kind::Boolean; }
  bool isNumber() const;  // integer, double or decimal
  bool isString() const { return kind() == Kind::String; }
  bool isDate() const { return kind() == Kind::Date; }
  bool isData() const { return kind() == Kind::Data; }
  bool isArray() const { return kind() == Kind::Array; }
  bool isDictionary() const { return kind() == Kind::Dictionary; }

  // Typed access; each returns nullptr when the value is of another kind.
  const bool* asBoolean() const { return isBoolean() ? &boolean_ : nullptr; }
  const std::string* asString() const { return isString() ? &string_ : nullptr; }
  const base::Date* asDate() const { return isDate() ? &date_ : nullptr; }
  const base::Data* asData() const { return isData() ? &data_ : nullptr; }
  const base::Array* asArray() const { return isArray() ? &array_ : nullptr; }
  base::Array* asArray() { return isArray() ? &array_ : nullptr; }
  const base::Dictionary* asDictionary() const { return isDictionary() ? &dictionary_ : nullptr; }
  base::Dictionary* asDictionary() { return isDictionary() ? &dictionary_ : nullptr; }
  const base::Decimal* asDecimal() const { return kind_ == Kind::Decimal ? &decimal_ : nullptr; }

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
  // Values are moved and destroyed far more often than they are looked at (a reader moves each
  // one into its container): kinds held in eight plain bytes take no branch into the heavy kinds.
  bool isPlain() const { return kind_ <= Kind::Double || kind_ == Kind::Date; }
  void destroy();
  void copyFrom(const Value& other);
  void moveFrom(Value& other);

  Kind kind_ = Kind::Null;
  union {
    uint64_t scalar_;  // the eight bytes of every plain kind, as one
    bool boolean_;
    int64_t integer_;
    double double_;
    base::Date date_;
    base::Decimal decimal_;
    std::string string_;
    base::Data data_;
    base::Array array_;
    base::Dictionary dictionary_;
  };
};

// Writes the value's description (for diagnostics and test failure messages).
std::ostream& operator<<(std::ostream& out, const Value& value);

struct DictionaryEntry {
  DictionaryEntry(std::string key, Value value) : first(std::move(key)), second(std::move(value)) {}
  // The key made in place from the text, as a reader makes it.
  DictionaryEntry(std::string_view key, Value&& value)
      : first(stringOf(key)), second(std::move(value)) {}
  // Each part made in place from what is given.
  template <typename Key, typename Member>
  DictionaryEntry(Key&& key, Member&& value)
      : first(std::forward<Key>(key)), second(std::forward<Member>(value)) {}

  std::string first;
  Value second;
};

inline size_t Dictionary::size() const {
  return entries_.size();
}
inline bool Dictionary::empty() const {
  return entries_.empty();
}
inline std::vector<Dictionary::Entry>::const_iterator Dictionary::begin() const {
  return entries_.begin();
}
inline std::vector<Dictionary::Entry>::const_iterator Dictionary::end() const {
  return entries_.end();
}

}  // namespace base
