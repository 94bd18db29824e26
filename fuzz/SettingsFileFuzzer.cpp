// Reads arbitrary bytes as the settings file, through the same limits as the store's loading.
// Reading must never fault, hang or run out of stack, and a store read reads back the same after
// a save, so that nothing is lost or changed by the next one (a date to within the two
// microseconds that libplist's truncation can take). Only stores whose strings and keys are all
// UTF-8 are held to that: libplist writes any other string as an empty one, and the program
// itself never stores such text.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/PropertyListValues.h"
#include "platform/plist/PlistUserDefaults.h"

namespace {

using platform::plist::PlistUserDefaults;

void require(bool condition, const char* what, std::string_view input) {
  if (condition) return;
  std::fprintf(stderr, "%s\ninput of %zu bytes\n", what, input.size());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::optional<base::Dictionary> stored = PlistUserDefaults::dictionaryFromFileBytes(input);
  if (!stored || !fuzz::isAllUtf8(base::Value(*stored))) return 0;
  std::optional<std::string> saved = PlistUserDefaults::fileBytesFromDictionary(*stored);
  require(saved.has_value(), "a store that was read cannot be saved", input);
  std::optional<base::Dictionary> reread = PlistUserDefaults::dictionaryFromFileBytes(*saved);
  require(reread.has_value(), "a saved store does not read back", input);
  require(fuzz::sameValue(base::Value(*reread), base::Value(*stored)),
          "a saved store reads back as another store", input);
  return 0;
}
