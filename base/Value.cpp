#include "base/Value.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <ostream>
#include <type_traits>

#include "base/DictionaryIndex.h"

namespace base {

namespace {

constexpr size_t kIndexThreshold = 16;

// Whether a key occurs twice among at most kIndexThreshold entries. Keys are told apart first by
// their length and end bytes, held in one word each, and a key is compared with the others only
// when the bit its word picks in a 64-bit filter is taken already: a record's keys then cost one
// step each, where comparing every pair cost a hundred steps for a record of fifteen members.
bool hasRepeatedKey(const Dictionary::Entry* entries, size_t count) {
  std::array<uint64_t, kIndexThreshold> marks;
  uint64_t seen = 0;
  for (size_t i = 0; i < count; ++i) {
    std::string_view key = entries[i].first;
    uint64_t mark = key.empty() ? 0
                                : uint64_t{static_cast<unsigned char>(key.front())} << 8 |
                                      static_cast<unsigned char>(key.back());
    mark |= static_cast<uint64_t>(key.size()) << 16;
    marks[i] = mark;
    uint64_t bit = uint64_t{1} << ((mark * 0x9E3779B97F4A7C15u) >> 58);
    if (seen & bit) {
      for (size_t j = 0; j < i; ++j) {
        if (marks[j] == mark && entries[j].first == key) return true;
      }
    }
    seen |= bit;
  }
  return false;
}

constexpr size_t kMaxEntries = std::numeric_limits<uint32_t>::max() >> 1;

}  // namespace

void Dictionary::release() noexcept {
  if (!header()->holdsNoBlocks) {
    BlockPool::Batch batch;
    Entry* all = entries();
    for (size_t i = 0, n = header()->size; i < n; ++i) {
      all[i].first.~Key();
      if (!Array::releaseBare(all[i].second)) all[i].second.~Value();
    }
  }
  header()->~Header();
  BlockPool::deallocate(header());
  block_ = 0;
}

Dictionary& Dictionary::operator=(Dictionary&& other) noexcept {
  if (this == &other) return *this;
  uintptr_t taken = std::exchange(other.block_, 0);  // other may be a member of this one
  if (block_) release();
  block_ = taken;
  return *this;
}

Dictionary::Dictionary(std::initializer_list<Entry> entries) {
  reserve(entries.size());
  for (const Entry& entry : entries)
    set(entry.first, entry.second);
}

Dictionary::Dictionary(std::vector<Entry>&& entries) {
  reserve(entries.size());
  for (Entry& entry : entries)
    append(std::move(entry.first), std::move(entry.second));
  settle();
}

Dictionary Dictionary::movedFrom(Value* members, size_t count) {
  static_assert(sizeof(Entry) == 2 * sizeof(Value) && offsetof(Entry, second) == sizeof(Value),
                "an entry is laid out as a key's text value followed by its value");
  Dictionary dictionary;
  if (count == 0) return dictionary;
  dictionary.growTo(count);
  std::memcpy(static_cast<void*>(dictionary.entries()), static_cast<const void*>(members),
              count * sizeof(Entry));
  dictionary.header()->size = static_cast<uint32_t>(count);
  bool holdsBlocks = false;
  Entry* all = dictionary.entries();
  for (size_t i = 0; i < count; ++i) {
    holdsBlocks |= members[2 * i].holdsBlock();
    holdsBlocks |= members[2 * i + 1].holdsBlock();
    // The text value's kind byte, which a key leaves zero: keys then agree word for word with
    // keys made from their text.
    std::memset(reinterpret_cast<char*>(&all[i].first) + sizeof(Key) - 1, 0, 1);
  }
  dictionary.settle();
  if (!holdsBlocks && dictionary.block_) dictionary.header()->holdsNoBlocks = true;
  return dictionary;
}

void Dictionary::settle() {
  size_t count = size();
  bool repeatedKey = false;
  if (count > kIndexThreshold) {
    header()->index = std::make_unique<Index>(entries(), count, count, false);
    repeatedKey = header()->index->sawRepeatedKey();
  } else {
    repeatedKey = hasRepeatedKey(entries(), count);
  }
  if (!repeatedKey) return;
  // Rare: inserted one by one, so that a later value replaces an earlier one in its place.
  Dictionary given = std::move(*this);
  reserve(count);
  Entry* all = given.entries();
  for (size_t i = 0; i < count; ++i)
    set(std::move(all[i].first), std::move(all[i].second));
}

Dictionary::Dictionary(const Dictionary& other) {
  if (other.empty()) return;
  growTo(other.size());
  Entry* all = entries();
  for (const Entry& entry : other) {
    new (all + header()->size) Entry(entry.first, entry.second);
    ++header()->size;
  }
  if (Index* index = other.index()) header()->index = std::make_unique<Index>(*index);
}

Dictionary& Dictionary::operator=(const Dictionary& other) {
  if (this != &other) *this = Dictionary(other);
  return *this;
}

void Dictionary::growTo(size_t count) {
  if (count > kMaxEntries) throw std::length_error("dictionary too large");
  auto* grown = new (BlockPool::allocate(sizeof(Header) + count * sizeof(Entry))) Header;
  grown->capacity = static_cast<uint32_t>(count) & kMaxEntries;
  if (block_) {
    // An entry's bytes are its whole state; the old copies are not destroyed.
    grown->size = header()->size;
    grown->index = std::move(header()->index);
    std::memcpy(static_cast<void*>(grown + 1), static_cast<const void*>(entries()),
                grown->size * sizeof(Entry));
    header()->~Header();
    BlockPool::deallocate(header());
  }
  block_ = reinterpret_cast<uintptr_t>(grown);
}

Dictionary::Entry& Dictionary::append(Key&& key, Value&& value) {
  size_t count = size();
  if (count == (block_ ? header()->capacity : 0)) growTo(count < 4 ? 4 : count * 2);
  Entry* entry = new (entries() + count) Entry(std::move(key), std::move(value));
  ++header()->size;
  return *entry;
}

void Dictionary::reserve(size_t count) {
  if (count > (block_ ? header()->capacity : 0)) growTo(count);
  if (count > kIndexThreshold && !(index() && index()->hasRoomFor(count))) rebuildIndex(count);
}

uint64_t Dictionary::probesForTesting() {
  return Index::probes();
}

size_t Dictionary::indexOf(std::string_view key) const {
  size_t count = size();
  const Entry* all = entries();
  if (Index* index = this->index()) {
    size_t position = index->find(key, index->hash(key), all);
    return position == SIZE_MAX ? count : position;
  }
  for (size_t i = 0; i < count; ++i) {
    if (all[i].first == key) return i;
  }
  return count;
}

const Value* Dictionary::find(std::string_view key) const {
  size_t position = indexOf(key);
  return position == size() ? nullptr : &entries()[position].second;
}

Value* Dictionary::find(std::string_view key) {
  if (block_) header()->holdsNoBlocks = false;
  size_t position = indexOf(key);
  return position == size() ? nullptr : &entries()[position].second;
}

std::optional<std::string> Dictionary::stringForKey(std::string_view key) const {
  const Value* value = find(key);
  std::optional<std::string_view> text = value ? value->asString() : std::nullopt;
  return text ? std::optional<std::string>(*text) : std::nullopt;
}

Value& Dictionary::set(std::string_view key, Value value) {
  return set(Key(key), std::move(value));
}

Value& Dictionary::set(Key key, Value value) {
  if (block_) header()->holdsNoBlocks = false;
  Index* index = this->index();
  if (!index) {
    Entry* all = entries();
    for (size_t i = 0, n = size(); i < n; ++i) {
      if (all[i].first == key) return all[i].second = std::move(value);
    }
    Value& stored = append(std::move(key), std::move(value)).second;
    if (size() <= kIndexThreshold) return stored;
    rebuildIndex(size());
    return entries()[size() - 1].second;
  }
  size_t hash = index->hash(key);
  size_t position = index->find(key, hash, entries());
  if (position != SIZE_MAX) return entries()[position].second = std::move(value);
  append(std::move(key), std::move(value));
  switch (header()->index->add(size() - 1, hash)) {
    case Index::Added::kAdded:
      break;
    case Index::Added::kFull:
      rebuildIndex(size());
      break;
    case Index::Added::kCrowded:
      header()->index = std::make_unique<Index>(entries(), size(), size(), true);
      break;
  }
  return entries()[size() - 1].second;
}

void Dictionary::merge(const Dictionary& other) {
  for (const Entry& entry : other)
    set(entry.first, entry.second);
}

bool Dictionary::erase(std::string_view key) {
  size_t position = indexOf(key);
  size_t count = size();
  if (position == count) return false;
  Entry* all = entries();
  all[position].~Entry();
  std::memmove(static_cast<void*>(all + position), static_cast<const void*>(all + position + 1),
               (count - position - 1) * sizeof(Entry));
  header()->size = static_cast<uint32_t>(count - 1);
  if (count - 1 > kIndexThreshold) {
    rebuildIndex(count - 1);
  } else {
    header()->index.reset();
  }
  return true;
}

void Dictionary::clear() {
  if (!block_) return;
  Entry* all = entries();
  size_t count = header()->size;
  header()->size = 0;
  header()->index.reset();
  for (size_t i = 0; i < count; ++i)
    all[i].~Entry();
}

void Dictionary::rebuildIndex(size_t capacityFor) {
  bool keyed = index() && index()->keyed();
  header()->index = std::make_unique<Index>(entries(), size(), capacityFor, keyed);
}

bool operator==(const Dictionary& a, const Dictionary& b) {
  if (a.size() != b.size()) return false;
  for (const Dictionary::Entry& entry : a) {
    const Value* other = b.find(entry.first);
    if (!other || !(*other == entry.second)) return false;
  }
  return true;
}

void text_detail::makeLong(std::string_view text, uint64_t& bits, uint64_t& meta) {
  size_t size = text.size();
  if (size > kLongSizeMask) throw std::length_error("text too long for a value");
  char* block = static_cast<char*>(BlockPool::allocate(size));
  std::memcpy(block, text.data(), size);
  bits = reinterpret_cast<uintptr_t>(block);
  meta = kOwnsBlock | size;
}

std::ostream& operator<<(std::ostream& out, const Key& key) {
  return out << key.view();
}

void Value::adoptLong(const Decimal& d) {
  adopt(Decimal(d), Kind::Decimal);
}

Value::Value(Date d) : double_(d.timeIntervalSinceReferenceDate()), meta_(kindBits(Kind::Date)) {}

Value::Value(const Data& d) {
  adopt(Data(d), Kind::Data);
}
Value::Value(Data&& d) {
  adopt(std::move(d), Kind::Data);
}
// A container is held in the first word itself.
Value::Value(const Array& a) : Value(Array(a)) {}
Value::Value(Array&& a) {
  new (&array_) Array(std::move(a));
  meta_ = kindBits(Kind::Array) | text_detail::kOwnsBlock;
}
Value::Value(const Dictionary& d) : Value(Dictionary(d)) {}
Value::Value(Dictionary&& d) {
  new (&dictionary_) Dictionary(std::move(d));
  meta_ = kindBits(Kind::Dictionary) | text_detail::kOwnsBlock;
}

// Moves object into a block of this value's own. Moving a container or a decimal does not throw.
template <typename T>
void Value::adopt(T&& object, Kind kind) {
  using Held = std::decay_t<T>;
  Held* held = new (BlockPool::allocate(sizeof(Held))) Held(std::move(object));
  bits_ = reinterpret_cast<uintptr_t>(held);
  meta_ = kindBits(kind) | text_detail::kOwnsBlock;
}

namespace {

template <typename T>
void destroyHeld(T* held) {
  held->~T();
  BlockPool::deallocate(held);
}

}  // namespace

// Takes other's copy of its block in place of the shared one copied with the words.
void Value::copyBlock(const Value& other) {
  meta_ = 0;  // holds nothing until the copy is made
  switch (other.kind()) {
    case Kind::String:
      text_detail::make(other.text(), bits_, meta_);
      meta_ |= kindBits(Kind::String);
      return;
    case Kind::Decimal:
      adopt(Decimal(*other.decimal_), Kind::Decimal);
      return;
    case Kind::Data:
      adopt(Data(*other.data_), Kind::Data);
      return;
    case Kind::Array:
      new (&array_) Array(other.array_);
      meta_ = other.meta_;
      return;
    case Kind::Dictionary:
      new (&dictionary_) Dictionary(other.dictionary_);
      meta_ = other.meta_;
      return;
    default:
      return;
  }
}

void Value::releaseBlock() {
  switch (kind()) {
    case Kind::String:
      text_detail::release(bits_, meta_);
      break;
    case Kind::Decimal:
      destroyHeld(decimal_);
      break;
    case Kind::Data:
      destroyHeld(data_);
      break;
    case Kind::Array:
      array_.~Array();
      break;
    case Kind::Dictionary:
      dictionary_.~Dictionary();
      break;
    default:
      break;
  }
  meta_ = 0;
}

std::optional<Date> Value::asDate() const {
  if (!isDate()) return std::nullopt;
  return Date(double_);
}

std::optional<Decimal> Value::asDecimal() const {
  if (kind() != Kind::Decimal) return std::nullopt;
  if (meta_ & text_detail::kOwnsBlock) return *decimal_;
  Decimal decimal;
  decimal.significand_ = bits_;
  decimal.exponent_ = static_cast<int32_t>(static_cast<uint32_t>(meta_));
  decimal.negative_ = (meta_ & kNegative) != 0;
  return decimal;
}

void Value::appendDecimalTo(std::string& out) const {
  if (kind() != Kind::Decimal) return;
  if (meta_ & text_detail::kOwnsBlock) {
    decimal_->appendTo(out);
  } else {
    asDecimal()->appendTo(out);
  }
}

bool Value::isNumber() const {
  Kind k = kind();
  return k == Kind::Integer || k == Kind::Double || k == Kind::Decimal;
}

int64_t Value::toInt64() const {
  switch (kind()) {
    case Kind::Boolean:
      return bits_ != 0 ? 1 : 0;
    case Kind::Integer:
      return integer_;
    case Kind::Double:
    case Kind::Decimal: {
      if (std::optional<Decimal> decimal = asDecimal()) {
        if (auto exact = decimal->toInt64()) return *exact;
      }
      double d = toDouble();
      if (std::isnan(d)) return 0;
      if (d >= 9.2233720368547758e18) return INT64_MAX;
      if (d <= -9.2233720368547758e18) return INT64_MIN;
      return static_cast<int64_t>(d);
    }
    default:
      return 0;
  }
}

double Value::toDouble() const {
  switch (kind()) {
    case Kind::Boolean:
      return bits_ != 0 ? 1 : 0;
    case Kind::Integer:
      return static_cast<double>(integer_);
    case Kind::Double:
      return double_;
    case Kind::Decimal:
      return asDecimal()->toDouble();
    default:
      return 0;
  }
}

namespace {

std::string doubleString(double d) {
  if (std::isnan(d)) return "nan";
  if (std::isinf(d)) return d < 0 ? "-inf" : "inf";
  if (d == std::trunc(d) && std::fabs(d) < 1e15) return std::to_string(static_cast<int64_t>(d));
  // Seventeen significant digits round-trip every double; fewer where they already do. The
  // text is "%.*g"'s in the C locale whatever the process's locale says: it goes into JSON.
  char text[32];
  char* end = text;
  for (int precision = 15; precision <= 17; ++precision) {
    end = std::to_chars(text, text + sizeof text, d, std::chars_format::general, precision).ptr;
    double back = 0;
    std::from_chars(text, end, back);
    if (back == d) break;
  }
  return std::string(text, end);
}

bool isBareWord(std::string_view s) {
  if (s.empty()) return false;
  for (unsigned char c : s) {
    if (!(std::isalnum(c) || c == '_' || c == '.' || c == '/' || c == '-')) return false;
  }
  return true;
}

std::string quoted(std::string_view s) {
  if (isBareWord(s)) return std::string(s);
  std::string text = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') text += '\\';
    if (c == '\n') {
      text += "\\n";
      continue;
    }
    text += c;
  }
  return text + "\"";
}

void describe(const Value& value, int level, bool topLevel, std::string& out) {
  std::string pad(static_cast<size_t>(level) * 4, ' ');
  std::string innerPad = pad + "    ";
  switch (value.kind()) {
    case Value::Kind::Null:
      out += "<null>";
      return;
    case Value::Kind::String:
      out += topLevel ? std::string(*value.asString()) : quoted(*value.asString());
      return;
    case Value::Kind::Date:
      out += value.asDate()->description();
      return;
    case Value::Kind::Data: {
      static const char* kHex = "0123456789abcdef";
      out += '<';
      const Data& data = *value.asData();
      for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0 && i % 4 == 0) out += ' ';
        out += kHex[data[i] >> 4];
        out += kHex[data[i] & 15];
      }
      out += '>';
      return;
    }
    case Value::Kind::Array: {
      out += "(\n";
      const Array& array = *value.asArray();
      for (size_t i = 0; i < array.size(); ++i) {
        out += innerPad;
        describe(array[i], level + 1, false, out);
        out += i + 1 < array.size() ? ",\n" : "\n";
      }
      out += pad + ")";
      return;
    }
    case Value::Kind::Dictionary: {
      out += "{\n";
      for (const auto& [key, member] : *value.asDictionary()) {
        out += innerPad + quoted(key.view()) + " = ";
        describe(member, level + 1, false, out);
        out += ";\n";
      }
      out += pad + "}";
      return;
    }
    default:
      out += value.numberString();
      return;
  }
}

}  // namespace

std::string Value::numberString() const {
  switch (kind()) {
    case Kind::Boolean:
      return bits_ != 0 ? "1" : "0";
    case Kind::Integer:
      return std::to_string(integer_);
    case Kind::Double:
      return doubleString(double_);
    case Kind::Decimal:
      return asDecimal()->toString();
    default:
      return {};
  }
}

const Value* Value::find(std::string_view key) const {
  const Dictionary* dictionary = asDictionary();
  return dictionary ? dictionary->find(key) : nullptr;
}

std::string Value::description() const {
  std::string out;
  describe(*this, 0, true, out);
  return out;
}

bool operator==(const Value& a, const Value& b) {
  if (a.isNumber() && b.isNumber()) {
    if (a.kind() == b.kind()) {
      if (a.kind() == Value::Kind::Integer) return a.integer_ == b.integer_;
      if (a.kind() == Value::Kind::Double) return a.double_ == b.double_;
      return *a.asDecimal() == *b.asDecimal();
    }
    std::optional<Decimal> da = a.asDecimal();
    std::optional<Decimal> db = b.asDecimal();
    if (da && b.kind() == Value::Kind::Integer) return da->toInt64() == b.toInt64();
    if (db && a.kind() == Value::Kind::Integer) return db->toInt64() == a.toInt64();
    return a.toDouble() == b.toDouble();
  }
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case Value::Kind::Null:
      return true;
    case Value::Kind::Boolean:
      return a.bits_ == b.bits_;
    case Value::Kind::String:
      return a.text() == b.text();
    case Value::Kind::Date:
      return *a.asDate() == *b.asDate();
    case Value::Kind::Data:
      return *a.data_ == *b.data_;
    case Value::Kind::Array:
      return a.array_ == b.array_;
    case Value::Kind::Dictionary:
      return a.dictionary_ == b.dictionary_;
    default:
      return false;  // numbers are compared above
  }
}

std::ostream& operator<<(std::ostream& out, const Value& value) {
  return out << value.description();
}

}  // namespace base
