// Reads arbitrary bytes as a property list: XML, binary ("bplist00") or JSON. Reading must never
// fault, hang or run out of stack, whatever the nesting or the binary offsets claim; a value that
// reads stays within the nesting limit, and one read from XML or binary, written back as a binary
// list, reads again to the same value (when its strings are UTF-8, which is all libplist writes).

#include <plist/plist.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ads/Formats/TADPropertyListReader.h"
#include "base/Utf8Validator.h"
#include "fuzz/PropertyListValues.h"
#include "platform/Platform.h"
#include "platform/plist/PlistReading.h"
#include "plist/PlistValueConverter.h"

namespace {

void require(bool condition, const char* what, const base::Value& value) {
  if (condition) return;
  std::fprintf(stderr, "%s\n%s\n", what, value.description().c_str());
  std::abort();
}

// Containers nested inside one another, counting the outermost.
size_t nesting(const base::Value& value) {
  size_t deepest = 0;
  if (const base::Array* array = value.asArray()) {
    for (const base::Value& item : *array)
      deepest = std::max(deepest, nesting(item));
  } else if (const base::Dictionary* dictionary = value.asDictionary()) {
    for (const auto& entry : *dictionary)
      deepest = std::max(deepest, nesting(entry.second));
  } else {
    return 0;
  }
  return deepest + 1;
}

std::string binaryList(const base::Value& value) {
  PlistNode node = PlistValueConverter::nodeFromValue(value);
  char* bytes = nullptr;
  uint32_t length = 0;
  plist_to_bin(node.get(), &bytes, &length);
  std::string list(bytes ? bytes : "", bytes ? length : 0);
  plist_to_bin_free(bytes);
  return list;
}

// The reader reads XML and binary lists through the installed platform's property-list reading,
// as in the soundboard; nothing else of a platform is asked for.
[[maybe_unused]] const bool kReadingInstalled = [] {
  auto services = std::make_shared<platform::Platform>();
  services->propertyLists = std::make_shared<platform::plist::PlistReading>();
  platform::Platform::install(std::move(services));
  return true;
}();

bool looksLikeJson(std::string_view bytes) {
  size_t first = bytes.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && (bytes[first] == '{' || bytes[first] == '[');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::optional<base::Value> value = TADPropertyListReader::valueWithBytes(bytes);
  if (!value) return 0;
  require(!value->isNull(), "a list read as a null value", *value);
  require(nesting(*value) <= TADPropertyListReader::kMaxDepth + 1,
          "a list read nested deeper than the limit", *value);
  // JSON may hold nulls and decimals, which a property list cannot keep as they are.
  if (!bytes.starts_with("bplist00") && looksLikeJson(bytes)) return 0;
  if (!fuzz::isAllUtf8(*value)) return 0;

  std::string list = binaryList(*value);
  std::optional<base::Value> again = TADPropertyListReader::valueWithBytes(list);
  require(again.has_value(), "a value read did not read back from a binary list", *value);
  require(fuzz::sameValue(*again, *value), "a value read back from a binary list as another value",
          *value);
  return 0;
}
