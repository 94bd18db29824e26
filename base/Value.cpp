#include "base/Value.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ostream>
#include <type_traits>

#include "base/DictionaryIndex.h"

namespace base {

namespace {

constexpr size_t kIndexThreshold = 16;

// Whether a key occurs twice among at most kIndexThreshold entries. Keys are told apart first by
// their length and end bytes, held in one word each, so that few pairs reach a comparison of text.
bool hasRepeatedKey(const std::vector<Dictionary::Entry>& entries) {
  std::array<uint64_t, kIndexThreshold> marks;
  for (size_t i = 0; i < entries.size(); ++i) {
    std::string_view key = entries[i].first;
    uint64_t mark = key.empty() ? 0
                                : uint64_t{static_cast<unsigned char>(key.front())} << 8 |
                                      static_cast<unsigned char>(key.back());
    marks[i] = mark | static_cast<uint64_t>(key.size()) << 16;
    for (size_t j = 0; j < i; ++j) {
      if (marks[j] == marks[i] && entries[j].first == key) return true;
    }
  }
  return false;
}

}  // namespace

Dictionary::Dictionary() = default;
Dictionary::~Dictionary() = default;
Dictionary::Dictionary(Dictionary&& other) noexcept = default;
Dictionary& Dictionary::operator=(Dictionary&& other) noexcept = default;

Dictionary::Dictionary(std::initializer_list<Entry> entries) {
  reserve(entries.size());
  for (const Entry& entry : entries)
    set(entry.first, entry.second);
}

Dictionary::Dictionary(std::vector<Entry>&& entries) : entries_(std::move(entries)) {
  bool repeatedKey = false;
  if (entries_.size() > kIndexThreshold) {
    index_ = std::make_unique<Index>(entries_, entries_.size(), false);
    repeatedKey = index_->sawRepeatedKey();
  } else {
    repeatedKey = hasRepeatedKey(entries_);
  }
  if (!repeatedKey) return;
  // Rare: inserted one by one, so that a later value replaces an earlier one in its place.
  std::vector<Entry> given = std::move(entries_);
  clear();
  reserve(given.size());
  for (Entry& entry : given)
    set(std::move(entry.first), std::move(entry.second));
}

Dictionary::Dictionary(const Dictionary& other)
    : entries_(other.entries_),
      index_(other.index_ ? std::make_unique<Index>(*other.index_) : nullptr) {}

Dictionary& Dictionary::operator=(const Dictionary& other) {
  if (this == &other) return *this;
  entries_ = other.entries_;
  index_ = other.index_ ? std::make_unique<Index>(*other.index_) : nullptr;
  return *this;
}

void Dictionary::reserve(size_t count) {
  entries_.reserve(count);
  if (count > kIndexThreshold && !(index_ && index_->hasRoomFor(count))) rebuildIndex(count);
}

uint64_t Dictionary::probesForTesting() {
  return Index::probes();
}

size_t Dictionary::indexOf(std::string_view key) const {
  if (index_) {
    size_t position = index_->find(key, index_->hash(key), entries_);
    return position == SIZE_MAX ? entries_.size() : position;
  }
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].first == key) return i;
  }
  return entries_.size();
}

const Value* Dictionary::find(std::string_view key) const {
  size_t position = indexOf(key);
  return position == entries_.size() ? nullptr : &entries_[position].second;
}

Value* Dictionary::find(std::string_view key) {
  size_t position = indexOf(key);
  return position == entries_.size() ? nullptr : &entries_[position].second;
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
  if (!index_) {
    for (Entry& entry : entries_) {
      if (entry.first == key) return entry.second = std::move(value);
    }
    entries_.emplace_back(std::move(key), std::move(value));
    if (entries_.size() > kIndexThreshold) rebuildIndex(entries_.size());
    return entries_.back().second;
  }
  size_t hash = index_->hash(key);
  size_t position = index_->find(key, hash, entries_);
  if (position != SIZE_MAX) return entries_[position].second = std::move(value);
  entries_.emplace_back(std::move(key), std::move(value));
  switch (index_->add(entries_.size() - 1, hash)) {
    case Index::Added::kAdded:
      break;
    case Index::Added::kFull:
      rebuildIndex(entries_.size());
      break;
    case Index::Added::kCrowded:
      index_ = std::make_unique<Index>(entries_, entries_.size(), true);
      break;
  }
  return entries_.back().second;
}

void Dictionary::merge(const Dictionary& other) {
  for (const Entry& entry : other.entries_)
    set(entry.first, entry.second);
}

bool Dictionary::erase(std::string_view key) {
  size_t position = indexOf(key);
  if (position == entries_.size()) return false;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
  if (entries_.size() > kIndexThreshold) {
    rebuildIndex(entries_.size());
  } else {
    index_.reset();
  }
  return true;
}

void Dictionary::clear() {
  entries_.clear();
  index_.reset();
}

void Dictionary::rebuildIndex(size_t capacityFor) {
  index_ = std::make_unique<Index>(entries_, capacityFor, index_ && index_->keyed());
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
Value::Value(const Array& a) {
  adopt(Array(a), Kind::Array);
}
Value::Value(Array&& a) {
  adopt(std::move(a), Kind::Array);
}
Value::Value(const Dictionary& d) {
  adopt(Dictionary(d), Kind::Dictionary);
}
Value::Value(Dictionary&& d) {
  adopt(std::move(d), Kind::Dictionary);
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
      adopt(Array(*other.array_), Kind::Array);
      return;
    case Kind::Dictionary:
      adopt(Dictionary(*other.dictionary_), Kind::Dictionary);
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
      destroyHeld(array_);
      break;
    case Kind::Dictionary:
      destroyHeld(dictionary_);
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
      return *a.array_ == *b.array_;
    case Value::Kind::Dictionary:
      return *a.dictionary_ == *b.dictionary_;
    default:
      return false;  // numbers are compared above
  }
}

std::ostream& operator<<(std::ostream& out, const Value& value) {
  return out << value.description();
}

}  // namespace base
