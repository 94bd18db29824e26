#include "ads/Utility/TADPropertyListReader.h"

#include <plist/plist.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <utility>
#include <vector>

#include "json/TAD_VeskJSON.h"
#include "plist/PlistValueConverter.h"

namespace {

using Limits = TADPropertyListReader;

// libplist parses recursively and checks binary lists for cycles by walking up the parents of
// each node, so deep nesting exhausts its stack or takes quadratic time. The two scans below
// measure the nesting before libplist sees the bytes.

// The deepest element nesting of XML text; comments, CDATA sections, processing instructions
// and declarations are skipped so that tags inside them cannot hide depth.
size_t xmlElementDepth(std::string_view text) {
  size_t depth = 0;
  size_t deepest = 0;
  size_t at = 0;
  auto skipPast = [&](std::string_view end) {
    size_t found = text.find(end, at);
    at = found == std::string_view::npos ? text.size() : found + end.size();
  };
  while ((at = text.find('<', at)) != std::string_view::npos) {
    std::string_view rest = text.substr(at);
    if (rest.starts_with("<!--")) {
      skipPast("-->");
    } else if (rest.starts_with("<![CDATA[")) {
      skipPast("]]>");
    } else if (rest.starts_with("<?")) {
      skipPast("?>");
    } else if (rest.starts_with("<!")) {
      skipPast(">");
    } else if (rest.starts_with("</")) {
      if (depth > 0) --depth;
      skipPast(">");
    } else {
      size_t close = text.find('>', at);
      if (close == std::string_view::npos) break;
      if (text[close - 1] != '/') deepest = std::max(deepest, ++depth);
      at = close + 1;
    }
  }
  return deepest;
}

// A view of a binary property list's object table, enough to walk its containers.
class BinaryListShape {
 public:
  explicit BinaryListShape(std::string_view bytes) : bytes_(bytes) {}

  // Whether the trailer is consistent and every container reachable from the top object lies
  // within the limits.
  bool isWithinLimits() {
    if (!readTrailer()) return false;
    std::vector<std::pair<uint64_t, size_t>> pending{{topObject_, 0}};
    size_t visited = 0;
    while (!pending.empty()) {
      auto [object, depth] = pending.back();
      pending.pop_back();
      if (++visited > Limits::kMaxValues || depth > Limits::kMaxDepth) return false;
      if (!pushChildren(object, depth, pending)) return false;
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
    return true;
  }

  bool pushChildren(uint64_t object, size_t depth,
                    std::vector<std::pair<uint64_t, size_t>>& pending) const {
    auto offset = readInteger(offsetTable_ + object * offsetSize_, offsetSize_);
    if (!offset || *offset < kHeaderSize || *offset >= offsetTable_) return false;
    uint8_t marker = static_cast<uint8_t>(bytes_[*offset]);
    uint8_t kind = marker >> 4;
    bool isArrayOrSet = kind == 0xA || kind == 0xC;
    bool isDictionary = kind == 0xD;
    if (!isArrayOrSet && !isDictionary) return true;
    size_t at = *offset + 1;
    uint64_t count = marker & 0x0F;
    if (count == 0x0F) {  // the count follows as an integer object
      if (at >= bytes_.size()) return false;
      uint8_t intMarker = static_cast<uint8_t>(bytes_[at]);
      if (intMarker >> 4 != 0x1 || (intMarker & 0x0F) > 3) return false;
      size_t size = size_t{1} << (intMarker & 0x0F);
      auto length = readInteger(at + 1, size);
      if (!length) return false;
      count = *length;
      at += 1 + size;
    }
    if (isDictionary) count *= 2;
    if (count > (bytes_.size() - at) / referenceSize_) return false;
    for (uint64_t i = 0; i < count; ++i) {
      auto child = readInteger(at + i * referenceSize_, referenceSize_);
      if (!child || *child >= objectCount_) return false;
      pending.emplace_back(*child, depth + 1);
    }
    return true;
  }

  std::string_view bytes_;
  uint8_t offsetSize_ = 0;
  uint8_t referenceSize_ = 0;
  uint64_t objectCount_ = 0;
  uint64_t topObject_ = 0;
  uint64_t offsetTable_ = 0;
};

std::optional<base::Value> readWithLibplist(std::string_view bytes, bool binary) {
  plist_t root = nullptr;
  auto length = static_cast<uint32_t>(bytes.size());
  if (binary) {
    plist_from_bin(bytes.data(), length, &root);
  } else {
    plist_from_xml(bytes.data(), length, &root);
  }
  PlistNode owned(root);
  // Keyed-archive references have no counterpart; the rest of the list still travels.
  return PlistValueConverter::valueFromNode(owned.get(),
                                            PlistValueConverter::OtherKinds::kLeaveOut);
}

std::optional<base::Value> readJson(std::string_view bytes) {
  TAD_VeskJSON reader;
  reader.setMaxDepth(Limits::kMaxDepth);
  return reader.objectWithString(std::string(bytes));
}

bool looksLikeJson(std::string_view bytes) {
  size_t first = bytes.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && (bytes[first] == '{' || bytes[first] == '[');
}

}  // namespace

std::optional<base::Value> TADPropertyListReader::valueWithBytes(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > kMaxBytes) return std::nullopt;
  if (bytes.starts_with("bplist00")) {
    if (!BinaryListShape(bytes).isWithinLimits()) return std::nullopt;
    return readWithLibplist(bytes, true);
  }
  if (looksLikeJson(bytes)) return readJson(bytes);
  // The plist wrapper and the innermost text element add two levels to the values' nesting.
  if (xmlElementDepth(bytes) > kMaxDepth + 2) return std::nullopt;
  return readWithLibplist(bytes, false);
}

std::optional<base::Value> TADPropertyListReader::valueWithContentsOfFile(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (static_cast<uint64_t>(info.st_size) > kMaxBytes) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  // Read one byte past the limit, so that a file grown since stat is still refused.
  std::string bytes(kMaxBytes + 1, '\0');
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(file.gcount()));
  return valueWithBytes(bytes);
}
