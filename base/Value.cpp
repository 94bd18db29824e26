#include "base/Value.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <unordered_map>

namespace base {

// Positions of the entries by key hash, kept only past kIndexThreshold entries: an open-addressed
// table of position + 1 (0 marks a free slot), at most half full, so a lookup touches a slot or
// two and building it allocates once. Positions stay valid across vector growth, which string
// views into the keys would not.
class Dictionary::Index {
 public:
  explicit Index(const std::vector<Entry>& entries) {
    size_t capacity = 16;
    while (capacity < entries.size() * 2 + 2)
      capacity *= 2;
    slots_.assign(capacity, 0);
    for (size_t i = 0; i < entries.size(); ++i)
      place(entries[i].first, i);
  }

  // The position of key, or SIZE_MAX.
  size_t find(std::string_view key, const std::vector<Entry>& entries) const {
    size_t mask = slots_.size() - 1;
    for (size_t slot = hash(key) & mask;; slot = (slot + 1) & mask) {
      uint32_t mark = slots_[slot];
      if (mark == 0) return SIZE_MAX;
      if (entries[mark - 1].first == key) return mark - 1;
    }
  }

  // Records the entry just appended at position; answers false when the table must be rebuilt
  // larger first.
  bool add(const std::vector<Entry>& entries, size_t position) {
    if ((position + 1) * 2 > slots_.size()) return false;
    place(entries[position].first, position);
    return true;
  }

 private:
  static size_t hash(std::string_view key) { return std::hash<std::string_view>{}(key); }
  void place(std::string_view key, size_t position) {
    size_t mask = slots_.size() - 1;
    size_t slot = hash(key) & mask;
    while (slots_[slot] != 0)
      slot = (slot + 1) & mask;
    slots_[slot] = static_cast<uint32_t>(position + 1);
  }

  std::vector<uint32_t> slots_;
};

namespace {
constexpr size_t kIndexThreshold = 16;
}

Dictionary::Dictionary() = default;
Dictionary::~Dictionary() = default;
Dictionary::Dictionary(Dictionary&& other) noexcept = default;
Dictionary& Dictionary::operator=(Dictionary&& other) noexcept = default;

Dictionary::Dictionary(std::initializer_list<Entry> entries) {
  for (const Entry& entry : entries)
    set(entry.first, entry.second);
}

Dictionary::Dictionary(const Dictionary& other) : entries_(other.entries_) {
  if (other.index_) rebuildIndex();
}

Dictionary& Dictionary::operator=(const Dictionary& other) {
  if (this == &other) return *this;
  entries_ = other.entries_;
  index_.reset();
  if (other.index_) rebuildIndex();
  return *this;
}

size_t Dictionary::indexOf(std::string_view key) const {
  if (index_) {
    size_t position = index_->find(key, entries_);
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

Value& Dictionary::set(std::string key, Value value) {
  size_t position = indexOf(key);
  if (position != entries_.size()) {
    entries_[position].second = std::move(value);
    return entries_[position].second;
  }
  entries_.push_back(Entry{std::move(key), std::move(value)});
  if (index_ ? !index_->add(entries_, entries_.size() - 1) : entries_.size() > kIndexThreshold) {
    rebuildIndex();
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
  index_.reset();
  if (entries_.size() > kIndexThreshold) rebuildIndex();
  return true;
}

void Dictionary::clear() {
  entries_.clear();
  index_.reset();
}

void Dictionary::rebuildIndex() {
  index_ = std::make_unique<Index>(entries_);
}

bool operator==(const Dictionary& a, const Dictionary& b) {
  if (a.size() != b.size()) return false;
  for (const Dictionary::Entry& entry : a) {
    const Value* other = b.find(entry.first);
    if (!other || !(*other == entry.second)) return false;
  }
  return true;
}

bool Value::isNumber() const {
  Kind k = kind();
  return k == Kind::Integer || k == Kind::Double || k == Kind::Decimal;
}

int64_t Value::toInt64() const {
  switch (kind()) {
    case Kind::Boolean:
      return std::get<bool>(storage_) ? 1 : 0;
    case Kind::Integer:
      return std::get<int64_t>(storage_);
    case Kind::Double:
    case Kind::Decimal: {
      if (const Decimal* decimal = asDecimal()) {
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
      return std::get<bool>(storage_) ? 1 : 0;
    case Kind::Integer:
      return static_cast<double>(std::get<int64_t>(storage_));
    case Kind::Double:
      return std::get<double>(storage_);
    case Kind::Decimal:
      return std::get<Decimal>(storage_).toDouble();
    default:
      return 0;
  }
}

namespace {

std::string doubleString(double d) {
  if (std::isnan(d)) return "nan";
  if (std::isinf(d)) return d < 0 ? "-inf" : "inf";
  if (d == std::trunc(d) && std::fabs(d) < 1e15) return std::to_string(static_cast<int64_t>(d));
  // Seventeen significant digits round-trip every double; fewer where they already do.
  char text[32];
  for (int precision = 15; precision <= 17; ++precision) {
    snprintf(text, sizeof text, "%.*g", precision, d);
    if (std::strtod(text, nullptr) == d) break;
  }
  return text;
}

bool isBareWord(const std::string& s) {
  if (s.empty()) return false;
  for (unsigned char c : s) {
    if (!(std::isalnum(c) || c == '_' || c == '.' || c == '/' || c == '-')) return false;
  }
  return true;
}

std::string quoted(const std::string& s) {
  if (isBareWord(s)) return s;
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
      out += topLevel ? *value.asString() : quoted(*value.asString());
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
        out += innerPad + quoted(key) + " = ";
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
      return std::get<bool>(storage_) ? "1" : "0";
    case Kind::Integer:
      return std::to_string(std::get<int64_t>(storage_));
    case Kind::Double:
      return doubleString(std::get<double>(storage_));
    case Kind::Decimal:
      return std::get<Decimal>(storage_).toString();
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
    if (a.kind() == b.kind()) return a.storage_ == b.storage_;
    const Decimal* da = a.asDecimal();
    const Decimal* db = b.asDecimal();
    if (da && b.kind() == Value::Kind::Integer) return da->toInt64() == b.toInt64();
    if (db && a.kind() == Value::Kind::Integer) return db->toInt64() == a.toInt64();
    return a.toDouble() == b.toDouble();
  }
  return a.storage_ == b.storage_;
}

std::ostream& operator<<(std::ostream& out, const Value& value) {
  return out << value.description();
}

}  // namespace base
