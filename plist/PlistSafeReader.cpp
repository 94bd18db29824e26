#include "plist/PlistSafeReader.h"

#include <locale.h>
#include <plist/plist.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

// libplist parses recursively and checks binary lists for cycles by walking up the parents of
// each node, so deep nesting exhausts its stack or takes quadratic time. The two scans below
// measure the nesting before libplist sees the bytes.

// Just past the first `end` after the markup that starts at `at`; the text's end when there is
// none. Nothing when the markup holds a '<', a '[' (a document type's internal subset) or a
// quoted value around that `end`: libplist reads quoted values and internal subsets whole, so
// it would see elements there that a plain search for `end` skips.
std::optional<size_t> markupEnd(std::string_view text, size_t at, std::string_view end) {
  size_t found = text.find(end, at + 1);
  if (found == std::string_view::npos) return text.size();
  char quote = 0;
  for (size_t i = at + 1; i < found; ++i) {
    char c = text[i];
    if (c == '<') return std::nullopt;
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      return std::nullopt;
    }
  }
  if (quote != 0) return std::nullopt;
  return found + end.size();
}

// The deepest element nesting of XML text; comments, CDATA sections, processing instructions
// and declarations are skipped so that tags inside them cannot hide depth. Nothing for markup
// whose extent is not plain (see markupEnd).
std::optional<size_t> xmlElementDepth(std::string_view text) {
  size_t depth = 0;
  size_t deepest = 0;
  size_t at = 0;
  auto pastFirst = [&](std::string_view end) {
    size_t found = text.find(end, at);
    return found == std::string_view::npos ? text.size() : found + end.size();
  };
  while ((at = text.find('<', at)) != std::string_view::npos) {
    std::string_view rest = text.substr(at);
    std::optional<size_t> next;
    if (rest.starts_with("<!--")) {
      next = pastFirst("-->");
    } else if (rest.starts_with("<![CDATA[")) {
      next = pastFirst("]]>");
    } else if (rest.starts_with("<?")) {
      next = markupEnd(text, at, "?>");
    } else {
      next = markupEnd(text, at, ">");
      if (!next) return std::nullopt;
      if (rest.starts_with("</")) {
        if (depth > 0) --depth;
      } else if (!rest.starts_with("<!") && *next >= at + 2 && text[*next - 2] != '/') {
        deepest = std::max(deepest, ++depth);
      }
    }
    if (!next) return std::nullopt;
    at = *next;
  }
  return deepest;
}

// A view of a binary property list's object table, enough to walk its containers.
class BinaryListShape {
 public:
  BinaryListShape(std::string_view bytes, const PlistSafeReader::Limits& limits)
      : bytes_(bytes), limits_(limits) {}

  // Whether the trailer is consistent, every container reachable from the top object lies
  // within the limits, and no reachable string holds a NUL character (libplist's accessors abort
  // the program on one).
  bool isWithinLimits() {
    if (!readTrailer()) return false;
    std::vector<std::pair<uint64_t, size_t>> pending{{topObject_, 0}};
    // Values are counted as they are reached rather than as they are visited, so that a wide
    // container referring to itself cannot pile up pending references before the depth limit
    // stops the walk.
    size_t reached = 1;
    while (!pending.empty()) {
      auto [object, depth] = pending.back();
      pending.pop_back();
      if (depth > limits_.maxDepth) return false;
      if (!checkObject(object, depth, pending, reached)) return false;
    }
    return true;
  }

 private:
  static constexpr size_t kHeaderSize = 8;  // "bplist00"
  static constexpr size_t kTrailerSize = 32;

  std::optional<uint64_t> readInteger(size_t at, size_t size) const {
    if (size == 0 || size > 8 || at > bytes_.size() || bytes_.size() - at < size) {
      return std::nullopt;
    }
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
      value = value << 8 | static_cast<uint8_t>(bytes_[at + i]);
    return value;
  }

  bool readTrailer() {
    if (bytes_.size() < kHeaderSize + kTrailerSize) return false;
    size_t trailer = bytes_.size() - kTrailerSize;
    offsetSize_ = static_cast<uint8_t>(bytes_[trailer + 6]);
    referenceSize_ = static_cast<uint8_t>(bytes_[trailer + 7]);
    auto count = readInteger(trailer + 8, 8);
    auto top = readInteger(trailer + 16, 8);
    auto table = readInteger(trailer + 24, 8);
    if (!count || !top || !table || offsetSize_ == 0 || offsetSize_ > 8 || referenceSize_ == 0 ||
        referenceSize_ > 8 || *top >= *count || *table < kHeaderSize || *table > trailer ||
        *count > (trailer - *table) / offsetSize_) {
      return false;
    }
    objectCount_ = *count;
    topObject_ = *top;
    offsetTable_ = *table;
    stringChecked_.assign(objectCount_, false);
    return true;
  }

  // The element count of the object whose marker is at `at`, moving `at` past the marker and a
  // count that follows it as an integer object.
  std::optional<uint64_t> readCount(size_t& at) const {
    uint64_t count = static_cast<uint8_t>(bytes_[at++]) & 0x0F;
    if (count != 0x0F) return count;
    if (at >= bytes_.size()) return std::nullopt;
    uint8_t intMarker = static_cast<uint8_t>(bytes_[at]);
    if (intMarker >> 4 != 0x1 || (intMarker & 0x0F) > 3) return std::nullopt;
    size_t size = size_t{1} << (intMarker & 0x0F);
    auto length = readInteger(at + 1, size);
    if (length) at += 1 + size;
    return length;
  }

  bool checkObject(uint64_t object, size_t depth, std::vector<std::pair<uint64_t, size_t>>& pending,
                   size_t& reached) {
    auto offset = readInteger(offsetTable_ + object * offsetSize_, offsetSize_);
    if (!offset || *offset < kHeaderSize || *offset >= offsetTable_) return false;
    size_t at = *offset;
    uint8_t kind = static_cast<uint8_t>(bytes_[at]) >> 4;
    if (kind == 0x5 || kind == 0x6 || kind == 0x7) {  // ASCII, UTF-16, UTF-8
      if (stringChecked_[object]) return true;
      stringChecked_[object] = true;
      auto count = readCount(at);
      return count && isStringWithoutNul(at, *count, kind == 0x6 ? 2 : 1);
    }
    bool isArrayOrSet = kind == 0xA || kind == 0xC;
    bool isDictionary = kind == 0xD;
    if (!isArrayOrSet && !isDictionary) return true;
    auto count = readCount(at);
    if (!count) return false;
    uint64_t room = (bytes_.size() - at) / referenceSize_;
    if (*count > (isDictionary ? room / 2 : room)) return false;
    uint64_t references = isDictionary ? *count * 2 : *count;
    if (references > limits_.maxValues - reached) return false;
    reached += references;
    for (uint64_t i = 0; i < references; ++i) {
      auto child = readInteger(at + i * referenceSize_, referenceSize_);
      if (!child || *child >= objectCount_) return false;
      pending.emplace_back(*child, depth + 1);
    }
    return true;
  }

  // Whether `count` characters of `unitSize` bytes at `at` lie within the list and none is NUL.
  // Strings do not share bytes, so together they cannot be longer than the list; that bound
  // keeps strings crafted to overlap from being scanned over and over.
  bool isStringWithoutNul(size_t at, uint64_t count, size_t unitSize) {
    if (count > (bytes_.size() - at) / unitSize) return false;
    if (count * unitSize > bytes_.size() - stringBytes_) return false;
    stringBytes_ += count * unitSize;
    for (size_t i = 0; i < count; ++i) {
      std::string_view unit = bytes_.substr(at + i * unitSize, unitSize);
      if (unit.find_first_not_of('\0') == std::string_view::npos) return false;
    }
    return true;
  }

  std::string_view bytes_;
  const PlistSafeReader::Limits& limits_;
  uint8_t offsetSize_ = 0;
  uint8_t referenceSize_ = 0;
  uint64_t objectCount_ = 0;
  uint64_t topObject_ = 0;
  uint64_t offsetTable_ = 0;
  std::vector<bool> stringChecked_;  // by object index
  size_t stringBytes_ = 0;
};

bool isSafeXml(std::string_view bytes, const PlistSafeReader::Limits& limits) {
  // XML has no NUL character, and libplist would keep one inside a string.
  if (bytes.find('\0') != std::string_view::npos) return false;
  // The plist wrapper and the innermost text element add two levels to the values' nesting.
  std::optional<size_t> depth = xmlElementDepth(bytes);
  return depth && *depth <= limits.maxDepth + 2;
}

// libplist reads the number of a <real> element with the C library, which follows LC_NUMERIC:
// under a decimal-comma locale "1.5" would read as 1. While it lives, the calling thread reads
// numbers in the C locale and keeps the rest of the process's locale.
class ThreadNumbersInCLocale {
 public:
  ThreadNumbersInCLocale() {
    if (locale_t process = duplocale(LC_GLOBAL_LOCALE)) {
      locale_t numbers = newlocale(LC_NUMERIC_MASK, "C", process);
      if (!numbers) freelocale(process);  // newlocale frees its base only when it succeeds
      own_.reset(numbers);
    }
    if (own_) previous_ = uselocale(own_.get());
  }
  ~ThreadNumbersInCLocale() {
    if (own_) uselocale(previous_);
  }
  ThreadNumbersInCLocale(const ThreadNumbersInCLocale&) = delete;
  ThreadNumbersInCLocale& operator=(const ThreadNumbersInCLocale&) = delete;

 private:
  struct Free {
    void operator()(locale_t locale) const { freelocale(locale); }
  };
  std::unique_ptr<std::remove_pointer_t<locale_t>, Free> own_;
  locale_t previous_ = nullptr;
};

}  // namespace

std::optional<base::Value> PlistSafeReader::read(std::string_view bytes, const Limits& limits,
                                                 PlistValueConverter::OtherKinds others) {
  if (bytes.empty() || bytes.size() > limits.maxBytes || bytes.size() > UINT32_MAX) {
    return std::nullopt;
  }
  bool binary = bytes.starts_with("bplist00");
  if (binary ? !BinaryListShape(bytes, limits).isWithinLimits() : !isSafeXml(bytes, limits)) {
    return std::nullopt;
  }
  plist_t root = nullptr;
  auto length = static_cast<uint32_t>(bytes.size());
  if (binary) {
    plist_from_bin(bytes.data(), length, &root);
  } else {
    ThreadNumbersInCLocale numbers;
    plist_from_xml(bytes.data(), length, &root);
  }
  PlistNode owned(root);
  if (!owned) return std::nullopt;
  return PlistValueConverter::valueFromNode(owned.get(), others);
}
