// Reads arbitrary bytes as the settings file, through the same limits as the store's loading.
// Reading must never fault, hang or run out of stack; a store read writes back to bytes that read
// to a store which writes the very same bytes again, so nothing read is lost or changed by the
// next save (values a list cannot keep exactly, such as a NaN, included).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/glib/PlistUserDefaults.h"

namespace {

using platform::glib::PlistUserDefaults;

void require(bool condition, const char* what, std::string_view input) {
  if (condition) return;
  std::fprintf(stderr, "%s\ninput of %zu bytes\n", what, input.size());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::optional<base::Dictionary> stored = PlistUserDefaults::dictionaryFromFileBytes(input);
  if (!stored) return 0;
  std::optional<std::string> saved = PlistUserDefaults::fileBytesFromDictionary(*stored);
  require(saved.has_value(), "a store that was read cannot be saved", input);
  std::optional<base::Dictionary> reread = PlistUserDefaults::dictionaryFromFileBytes(*saved);
  require(reread.has_value(), "a saved store does not read back", input);
  require(reread->size() == stored->size(), "a saved store reads back with other keys", input);
  require(PlistUserDefaults::fileBytesFromDictionary(*reread) == saved,
          "a saved store reads back as another store", input);
  return 0;
}
