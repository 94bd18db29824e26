#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/Array.h"
#include "base/BlockPool.h"
#include "base/Date.h"
#include "base/Decimal.h"

namespace base {

class Value;
struct DictionaryEntry;

using Data = std::vector<uint8_t>;

// A text of a value or a key in sixteen bytes: up to kShortTextSize bytes in place, a longer
// one in a block of its own. The last two bytes are the holder's: the size of a short text or the
// mark of a block, and (for a value) its kind.
namespace text_detail {

constexpr size_t kShortTextSize = 14;
constexpr uint64_t kSizeShift = 48;
constexpr uint64_t kOwnsBlock = uint64_t{0x80} << kSizeShift;  // never set by a short size
constexpr uint64_t kLongSizeMask = (uint64_t{1} << kSizeShift) - 1;

// A text too long to be held in place, in a block of its own.
void makeLong(std::string_view text, uint64_t& bits, uint64_t& meta);

inline uint64_t loadWord(const char* from) {
  uint64_t word;
  std::memcpy(&word, from, 8);
  return word;
}
inline uint64_t loadHalf(const char* from) {
  uint32_t half;
  std::memcpy(&half, from, 4);
  return half;
}

// The two words of text (the kind byte left zero). A short text's words are put together in
// registers from loads that may overlap, reading only its own bytes: copied into words on the
// stack and read back, each text stalled on the reading of bytes just stored in narrower pieces.
inline void make(std::string_view text, uint64_t& bits, uint64_t& meta) {
  size_t size = text.size();
  if (size > kShortTextSize) {
    makeLong(text, bits, meta);
    return;
  }
  const char* from = text.data();
  uint64_t low = 0;
  uint64_t high = 0;
  if (size > 8) {
    low = loadWord(from);
    high = loadWord(from + size - 8) >> (8 * (16 - size));  // bytes 8 to size
  } else if (size == 8) {
    low = loadWord(from);
  } else if (size >= 4) {
    low = loadHalf(from) | loadHalf(from + size - 4) << (8 * (size - 4));
  } else if (size > 0) {
    low = uint64_t{static_cast<unsigned char>(from[0])} |
          uint64_t{static_cast<unsigned char>(from[size / 2])} << (8 * (size / 2)) |
          uint64_t{static_cast<unsigned char>(from[size - 1])} << (8 * (size - 1));
  }
  bits = low;
  meta = high | uint64_t{size} << kSizeShift;
}

// The text whose words start at self.
inline std::string_view view(const void* self, uint64_t bits, uint64_t meta) {
  if (meta & kOwnsBlock)
    return std::string_view(reinterpret_cast<const char*>(bits), meta & kLongSizeMask);
  return std::string_view(static_cast<const char*>(self), (meta >> kSizeShift) & 0xff);
}

inline void release(uint64_t bits, uint64_t meta) {
  if (meta & kOwnsBlock) BlockPool::deallocate(reinterpret_cast<void*>(bits));
}

}  // namespace text_detail

// A dictionary's key: its text in sixteen bytes, as a value holds a string, with the top byte
// (where a value keeps its kind) zero: a text value's bytes with that byte cleared are a key's.
class Key {
 public:
  Key() = default;
  explicit Key(std::string_view text) { text_detail::make(text, bits_, meta_); }
  explicit Key(const std::string& text) : Key(std::string_view(text)) {}
  explicit Key(const char* text) : Key(std::string_view(text)) {}
  Key(const Key& other) : Key(other.view()) {}
  Key(Key&& other) noexcept : bits_(other.bits_), meta_(other.meta_) { other.meta_ = 0; }
  Key& operator=(const Key& other) {
    if (this != &other) *this = Key(other);
    return *this;
  }
  Key& operator=(Key&& other) noexcept {
    if (this == &other) return *this;
    text_detail::release(bits_, meta_);
    bits_ = other.bits_;
    meta_ = other.meta_;
    other.meta_ = 0;
    return *this;
  }
  ~Key() { text_detail::release(bits_, meta_); }

  std::string_view view() const { return text_detail::view(this, bits_, meta_); }
  operator std::string_view() const { return view(); }
  std::string str() const { return std::string(view()); }
  size_t size() const { return view().size(); }
  bool empty() const { return view().empty(); }

  // Short keys are held in one form only (zeros after the text, the size above them), so two are
  // equal exactly when their words are; a long key is never equal to a short one.
  friend bool operator==(const Key& a, const Key& b) {
    if (((a.meta_ | b.meta_) & text_detail::kOwnsBlock) == 0)
      return a.bits_ == b.bits_ && a.meta_ == b.meta_;
    return a.view() == b.view();
  }
  friend bool operator==(const Key& a, std::string_view b) { return a.view() == b; }
  friend auto operator<=>(const Key& a, const Key& b) { return a.view() <=> b.view(); }

 private:
  uint64_t bits_ = 0;
  uint64_t meta_ = 0;
};

std::ostream& operator<<(std::ostream& out, const Key& key);

// A dictionary of string keys to values, one value per key. Entries keep the order in which
// their keys were first inserted; replacing a value keeps its place. Lookup is linear for small
// dictionaries and hashed for large ones, so building a large dictionary stays linear — also for
// keys chosen to collide: a dictionary whose keys pile up in its index changes to a hash keyed
// with a secret of the process, which outside input cannot aim at.
//
// Like Array, a dictionary is one word: a block holding its size, its room, the index of a large
// one and the entries inline (none for an empty dictionary), so that it fits in a value and a
// dictionary read from a document is one allocation. Entries move between blocks by their bytes.
// As with Array, one that a reader made of keys and values none of which holds a block is freed
// without visiting its entries, until an access through which a value could change.
class Dictionary {
 public:
  // A key and its value (defined below, once Value is complete).
  using Entry = DictionaryEntry;

  Dictionary() noexcept = default;
  Dictionary(std::initializer_list<Entry> entries);
  // Takes the entries in their order; a key given again replaces the value of its first entry,
  // as set() would.
  explicit Dictionary(std::vector<Entry>&& entries);
  // The same from count members laid out as entries are, each a key held as a text value followed
  // by its value, taken by their bytes (the caller forgets them without destroying them): what a
  // reader does when an object closes, with every member already made.
  static Dictionary movedFrom(Value* members, size_t count);
  Dictionary(const Dictionary& other);
  Dictionary(Dictionary&& other) noexcept : block_(std::exchange(other.block_, 0)) {}
  Dictionary& operator=(const Dictionary& other);
  Dictionary& operator=(Dictionary&& other) noexcept;
  ~Dictionary() {
    if (block_) release();
  }

  size_t size() const { return block_ ? header()->size : 0; }
  bool empty() const { return size() == 0; }
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
  Value& set(std::string_view key, Value value);
  Value& set(Key key, Value value);
  // Inserts every entry of other, replacing values of keys already present.
  void merge(const Dictionary& other);
  // Removes the key's entry; returns whether there was one.
  bool erase(std::string_view key);
  void clear();

  const Entry* begin() const { return entries(); }
  const Entry* end() const;

  // Same keys with equal values, in any order.
  friend bool operator==(const Dictionary& a, const Dictionary& b);

  // For tests: how many index slots past the first this thread's lookups and insertions have
  // visited, in all. Stays proportional to their number whatever the keys are.
  static uint64_t probesForTesting();

 private:
  class Index;
  struct Header {
    uint32_t size = 0;
    uint32_t capacity : 31 = 0;
    uint32_t holdsNoBlocks : 1 = 0;  // no key or value holds a block: they need no destructor
    std::unique_ptr<Index> index;    // of a large dictionary
  };

  Header* header() const { return reinterpret_cast<Header*>(block_); }
  Entry* entries() const { return block_ ? reinterpret_cast<Entry*>(header() + 1) : nullptr; }
  Index* index() const { return block_ ? header()->index.get() : nullptr; }
  size_t indexOf(std::string_view key) const;  // size() when absent
  void rebuildIndex(size_t capacityFor);
  void growTo(size_t count);
  // Appends without looking for the key; then settle() once all are in.
  Entry& append(Key&& key, Value&& value);
  // Makes the index of what append() put in, and where a key came twice, the dictionary that
  // set() would have made.
  void settle();
  void release() noexcept;

  // The block's address, in the type of a value's first word, which holds it.
  uintptr_t block_ = 0;
};

// A value of one of the property-list kinds that the library passes around, in sixteen bytes: the
// kind and a payload in place — numbers, dates, short strings, decimals of up to nineteen digits —
// and a block of its own for a longer text, a longer decimal, data and containers. Copies are
// deep; a move takes the payload and leaves a null. Numbers come in three kinds: 64-bit integers,
// doubles and exact decimals (what the JSON reader produces); they compare and convert across
// kinds by numeric value.
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

  Value() noexcept {}
  Value(std::nullptr_t) {}
  Value(bool b) : bits_(b ? 1 : 0), meta_(kindBits(Kind::Boolean)) {}
  Value(int i) : integer_(i), meta_(kindBits(Kind::Integer)) {}
  Value(unsigned i) : integer_(i), meta_(kindBits(Kind::Integer)) {}
  Value(long i) : integer_(i), meta_(kindBits(Kind::Integer)) {}
  Value(long long i) : integer_(i), meta_(kindBits(Kind::Integer)) {}
  Value(unsigned long i) : integer_(static_cast<int64_t>(i)), meta_(kindBits(Kind::Integer)) {}
  Value(double d) : double_(d), meta_(kindBits(Kind::Double)) {}
  Value(float f) : double_(f), meta_(kindBits(Kind::Double)) {}
  Value(const base::Decimal& d) {
    if (d.longDigits_) {
      adoptLong(d);
      return;
    }
    bits_ = d.significand_;
    meta_ = decimalMeta(d.negative_, d.exponent_);
  }
  // A decimal of at most nineteen digits, normalised as base::Decimal keeps it (no trailing zero
  // in the significand; zero as 0 × 10^0 without a sign), made without a base::Decimal between:
  // the JSON reader makes one of every decimal it reads.
  static Value shortDecimal(bool negative, uint64_t significand, int32_t exponent) {
    Value value;
    value.bits_ = significand;
    value.meta_ = decimalMeta(negative, exponent);
    return value;
  }
  Value(std::string_view s) {
    text_detail::make(s, bits_, meta_);
    meta_ |= kindBits(Kind::String);
  }
  Value(const std::string& s) : Value(std::string_view(s)) {}
  Value(const char* s) : Value(std::string_view(s)) {}
  Value(base::Date d);
  // Containers are taken by reference, so that one moved in is moved once.
  Value(const base::Data& d);
  Value(base::Data&& d);
  Value(const base::Array& a);
  Value(base::Array&& a);
  Value(const base::Dictionary& d);
  Value(base::Dictionary&& d);

  Value(const Value& other) : bits_(other.bits_), meta_(other.meta_) {
    if (meta_ & text_detail::kOwnsBlock) copyBlock(other);
  }
  Value(Value&& other) noexcept : bits_(other.bits_), meta_(other.meta_) { other.meta_ = 0; }
  Value& operator=(const Value& other) {
    if (this != &other) *this = Value(other);
    return *this;
  }
  Value& operator=(Value&& other) noexcept {
    if (this == &other) return *this;
    // other may live inside this value: it is taken before this one lets go of its block.
    uint64_t bits = other.bits_;
    uint64_t meta = other.meta_;
    other.meta_ = 0;
    if (meta_ & text_detail::kOwnsBlock) releaseBlock();
    bits_ = bits;
    meta_ = meta;
    return *this;
  }
  ~Value() {
    if (meta_ & text_detail::kOwnsBlock) releaseBlock();
  }

  Kind kind() const { return static_cast<Kind>(meta_ >> 56); }
  bool isNull() const { return kind() == Kind::Null; }
  bool isBoolean() const { return kind() == Kind::Boolean; }
  bool isNumber() const;  // integer, double or decimal
  bool isString() const { return kind() == Kind::String; }
  bool isDate() const { return kind() == Kind::Date; }
  bool isData() const { return kind() == Kind::Data; }
  bool isArray() const { return kind() == Kind::Array; }
  bool isDictionary() const { return kind() == Kind::Dictionary; }
  // Whether it holds a block of its own (a long text or decimal, data, a container), which its
  // destructor gives back.
  bool holdsBlock() const { return (meta_ & text_detail::kOwnsBlock) != 0; }

  // Typed access; each is empty (or nullptr) when the value is of another kind. A text stays
  // valid while the value is neither changed nor destroyed.
  std::optional<bool> asBoolean() const {
    return isBoolean() ? std::optional<bool>(bits_ != 0) : std::nullopt;
  }
  std::optional<std::string_view> asString() const {
    return isString() ? std::optional<std::string_view>(text()) : std::nullopt;
  }
  std::optional<base::Date> asDate() const;
  std::optional<base::Decimal> asDecimal() const;
  const base::Data* asData() const { return isData() ? data_ : nullptr; }
  const base::Array* asArray() const { return isArray() ? &array_ : nullptr; }
  base::Array* asArray() { return isArray() ? &array_ : nullptr; }
  const base::Dictionary* asDictionary() const { return isDictionary() ? &dictionary_ : nullptr; }
  base::Dictionary* asDictionary() { return isDictionary() ? &dictionary_ : nullptr; }

  // Numeric readings, as a number's intValue/doubleValue would give them: booleans count as 0
  // and 1, other kinds as 0. toInt64 truncates towards zero.
  int64_t toInt64() const;
  double toDouble() const;
  bool toBool() const { return toInt64() != 0 || toDouble() != 0; }
  // A number's decimal text: "42", "0.5", "1E+400"; booleans read "1" and "0" (a number's
  // stringValue). Empty for other kinds.
  std::string numberString() const;
  // Appends numberString()'s text of a decimal to out; nothing for other kinds.
  void appendDecimalTo(std::string& out) const;

  // Dictionary member, or nullptr when this is not a dictionary or has no such key.
  const Value* find(std::string_view key) const;

  // A readable rendering in the platform's description style: strings bare at the top level,
  // arrays as "(\n    a,\n    b\n)", dictionaries as "{\n    k = v;\n}". Used in console lines.
  std::string description() const;

  // Deep equality; numbers of different kinds are equal when their values are.
  friend bool operator==(const Value& a, const Value& b);

 private:
  static constexpr uint64_t kindBits(Kind kind) {
    return uint64_t{static_cast<uint8_t>(kind)} << 56;
  }
  // A short decimal's second word: exponent in the low 32 bits, the sign above them.
  static constexpr uint64_t kNegative = uint64_t{1} << 32;
  static constexpr uint64_t decimalMeta(bool negative, int32_t exponent) {
    return kindBits(Kind::Decimal) | static_cast<uint32_t>(exponent) | (negative ? kNegative : 0);
  }

  std::string_view text() const { return text_detail::view(this, bits_, meta_); }
  template <typename T>
  void adopt(T&& object, Kind kind);
  void adoptLong(const base::Decimal& d);
  void copyBlock(const Value& other);
  void releaseBlock();

  union {
    uint64_t bits_ = 0;
    int64_t integer_;
    double double_;
    base::Decimal* decimal_;  // a long one
    base::Data* data_;
    base::Array array_;
    base::Dictionary dictionary_;
  };
  // The kind in the top byte; below it the text's size or the mark of a block of this value's
  // own, or a short decimal's exponent and sign.
  uint64_t meta_ = 0;
};

static_assert(std::endian::native == std::endian::little, "a short text runs into the second word");

// Writes the value's description (for diagnostics and test failure messages).
std::ostream& operator<<(std::ostream& out, const Value& value);

struct DictionaryEntry {
  DictionaryEntry(std::string_view key, Value value) : first(key), second(std::move(value)) {}
  DictionaryEntry(Key key, Value value) : first(std::move(key)), second(std::move(value)) {}
  // Each part made in place from what is given.
  template <typename KeyText, typename Member>
  DictionaryEntry(KeyText&& key, Member&& value)
      : first(std::forward<KeyText>(key)), second(std::forward<Member>(value)) {}

  Key first;
  Value second;
};

static_assert(sizeof(Value) == 16 && sizeof(DictionaryEntry) == 32);

inline const Dictionary::Entry* Dictionary::end() const {
  return entries() + size();
}

// Array's members that need Value complete.
inline Value* Array::end() {
  return writableElements() + size();
}
inline const Value* Array::end() const {
  return elements() + size();
}
inline Value& Array::operator[](size_t at) {
  return writableElements()[at];
}
inline const Value& Array::operator[](size_t at) const {
  return elements()[at];
}
inline Value& Array::back() {
  return writableElements()[size() - 1];
}
inline const Value& Array::back() const {
  return elements()[size() - 1];
}
template <typename... Args>
inline Value& Array::emplace_back(Args&&... args) {
  if (size() == capacity()) {
    // Made before growing, as the arguments may be elements of this array.
    Value made(std::forward<Args>(args)...);
    grow();
    Value* slot = new (writableElements() + header()->size) Value(std::move(made));
    ++header()->size;
    return *slot;
  }
  Value* slot = new (writableElements() + header()->size) Value(std::forward<Args>(args)...);
  ++header()->size;
  return *slot;
}
inline bool Array::releaseBare(Value& value) noexcept {
  const Array* array = std::as_const(value).asArray();
  if (!array || !array->block_ || !array->header()->holdsNoBlocks) return false;
  BlockPool::deallocate(array->header());
  return true;
}
inline void Array::push_back(const Value& value) {
  emplace_back(value);
}
inline void Array::push_back(Value&& value) {
  emplace_back(std::move(value));
}

}  // namespace base
