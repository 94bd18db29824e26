// Reads arbitrary bytes as JSON. Reading must never fault, a refusal must be a codec error, and
// whatever reads must write, in every layout, to text that reads back to an equal value.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "json/TAD_VeskJSON.h"

namespace {

void require(bool condition, const char* what, const std::string& detail) {
  if (condition) return;
  std::fprintf(stderr, "%s\n%s\n", what, detail.c_str());
  std::abort();
}

void checkRoundTrip(const base::Value& value) {
  for (int layout = 0; layout < 3; ++layout) {
    TAD_VeskJSON json;
    json.setHumanReadable(layout == 1);
    json.setSortKeys(layout == 2);
    base::Error error;
    std::optional<std::string> text = json.stringWithFragment(value, &error);
    require(text.has_value(), "a value that was read could not be written", error.description());
    std::optional<base::Value> reread = json.fragmentWithString(*text, &error);
    require(reread.has_value(), "written text did not read back",
            *text + "\n" + error.description());
    require(*reread == value, "written text read back to another value", *text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (uint32_t maxDepth : {TAD_VeskJSON::kDefaultMaxDepth, 0u}) {
    TAD_VeskJSON json;
    json.setMaxDepth(maxDepth);
    base::Error error;
    std::optional<base::Value> value = json.fragmentWithString(text, &error);
    if (!value) {
      require(error.domain() == TAD_VeskJSONErrorDomain && error.code() >= 2 && error.code() <= 12,
              "a refusal without a codec error", error.description());
      continue;
    }
    bool isContainer = value->isArray() || value->isDictionary();
    require(json.objectWithString(text).has_value() == isContainer,
            "reading as an object disagrees with reading as a fragment", text);
    checkRoundTrip(*value);
  }
  return 0;
}
