#pragma once

// What every reading of JSON text by a fuzz target must hold: reading never faults, a refusal is
// a codec error, building dictionaries stays linear (a bounded number of index probes per byte
// read), and whatever reads writes, in every layout, to text that reads back to an equal value.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "base/Value.h"
#include "json/TAD_VeskJSON.h"

namespace jsonfuzz {

inline void require(bool condition, const char* what, const std::string& detail) {
  if (condition) return;
  std::fprintf(stderr, "%s\n%s\n", what, detail.substr(0, 4096).c_str());
  std::abort();
}

// Reads back with the nesting limit that the value was read with. The human-readable layout
// indents each line by its depth, so thousands of levels write text of square size: it is tried
// with the default limit only.
inline void checkRoundTrip(const base::Value& value, uint32_t maxDepth) {
  for (int layout = 0; layout < 3; ++layout) {
    if (layout == 1 && maxDepth == 0) continue;
    TAD_VeskJSON json;
    json.setMaxDepth(maxDepth);
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

inline void checkReading(const std::string& text) {
  for (uint32_t maxDepth : {TAD_VeskJSON::kDefaultMaxDepth, 0u}) {
    TAD_VeskJSON json;
    json.setMaxDepth(maxDepth);
    base::Error error;
    uint64_t probesBefore = base::Dictionary::probesForTesting();
    std::optional<base::Value> value = json.fragmentWithString(text, &error);
    require(base::Dictionary::probesForTesting() - probesBefore <= 16 * (text.size() + 1),
            "building dictionaries took more than linear work", text);
    if (!value) {
      require(error.domain() == TAD_VeskJSONErrorDomain && error.code() >= 2 && error.code() <= 12,
              "a refusal without a codec error", error.description());
      continue;
    }
    bool isContainer = value->isArray() || value->isDictionary();
    require(json.objectWithString(text).has_value() == isContainer,
            "reading as an object disagrees with reading as a fragment", text);
    checkRoundTrip(*value, maxDepth);
  }
}

}  // namespace jsonfuzz
