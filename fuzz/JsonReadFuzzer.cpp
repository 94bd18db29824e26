// Reads arbitrary bytes as JSON. Reading must never fault, a refusal must be a codec error, and
// whatever reads must write, in every layout, to text that reads back to an equal value.
//
// An input that starts with the byte 0xFF (never the start of valid text) is instead a short
// program that expands into a large document — tens of thousands of members, keys chosen to
// collide in the dictionary index, nesting past every limit — which mutating text would not
// reach. Building dictionaries must stay linear: a bounded number of index probes per byte read.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Value.h"
#include "json/TAD_VeskJSON.h"

namespace {

void require(bool condition, const char* what, const std::string& detail) {
  if (condition) return;
  std::fprintf(stderr, "%s\n%s\n", what, detail.substr(0, 4096).c_str());
  std::abort();
}

// Keys whose standard-library hashes agree in their low twelve bits: without a keyed hash they
// all fall into one probe run of a dictionary index of up to 4096 slots.
const std::vector<std::string>& collidingKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> found;
    for (uint64_t i = 0; found.size() < 1024; ++i) {
      std::string key = "c" + std::to_string(i);
      if ((std::hash<std::string_view>{}(key)&0xFFF) == 0) found.push_back(std::move(key));
    }
    return found;
  }();
  return keys;
}

// Turns the program's bytes into JSON text. Each step reads an operation byte and its operands;
// open containers are closed at the end, commas are left out (the reader allows that).
class Expander {
 public:
  Expander(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  std::string expand() {
    while (at_ < size_ && text_.size() < kMaxText) {
      switch (next() % 6) {
        case 0:  // nesting, up to past the reader's safety limit
          for (size_t n = 1 + count() % 12000; n > 0; --n)
            open('[', ']');
          break;
        case 1:
          open('{', '}');
          break;
        case 2:
          manyMembers();
          break;
        case 3:  // a long array of one small value
          beforeValue();
          text_ += '[';
          for (size_t n = count() % 4096 * 4; n > 0; --n)
            text_ += "1 ";
          text_ += ']';
          break;
        case 4:
          beforeValue();
          text_ += '"' + std::string(1, static_cast<char>(next())) + "\\u00e9\"";
          break;
        default:
          if (!closers_.empty()) {
            text_ += closers_.back();
            closers_.pop_back();
          }
      }
    }
    while (!closers_.empty()) {
      text_ += closers_.back();
      closers_.pop_back();
    }
    return text_;
  }

 private:
  // Large enough for every limit and for a flood of keys; small enough to run many times a second.
  static constexpr size_t kMaxText = 256 << 10;

  uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }
  size_t count() { return size_t{next()} << 8 | next(); }

  // Inside an object a value needs a key first.
  void beforeValue() {
    if (!closers_.empty() && closers_.back() == '}')
      text_ += "\"k" + std::to_string(keys_++) + "\":";
  }

  void open(char opener, char closer) {
    beforeValue();
    text_ += opener;
    closers_.push_back(closer);
  }

  // One object of up to 4096 members: keys that collide, distinct keys, or one key repeated.
  void manyMembers() {
    uint8_t family = next() % 3;
    size_t members = count() % 4097;
    beforeValue();
    text_ += '{';
    for (size_t i = 0; i < members && text_.size() < kMaxText; ++i) {
      text_ += '"';
      if (family == 0) {
        text_ += collidingKeys()[i % collidingKeys().size()];
      } else if (family == 1) {
        text_ += 'm' + std::to_string(i);
      } else {
        text_ += 'r';
      }
      text_ += "\":" + std::to_string(i) + ' ';
    }
    text_ += '}';
  }

  const uint8_t* data_;
  size_t size_;
  size_t at_ = 1;  // past the 0xFF that selects expansion
  size_t keys_ = 0;
  std::string text_;
  std::vector<char> closers_;
};

// Reads back with the nesting limit that the value was read with. The human-readable layout
// indents each line by its depth, so thousands of levels write text of square size: it is tried
// with the default limit only.
void checkRoundTrip(const base::Value& value, uint32_t maxDepth) {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text = size > 0 && data[0] == 0xFF
                         ? Expander(data, size).expand()
                         : std::string(reinterpret_cast<const char*>(data), size);
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
  return 0;
}
