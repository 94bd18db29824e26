// Reads the large documents that a short program of bytes expands into — tens of thousands of
// members, keys chosen to collide in the dictionary index, nesting past every limit — which
// mutating text would not reach, and checks what every reading must hold (JsonFuzzChecks.h).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/JsonFuzzChecks.h"

namespace {

using jsonfuzz::require;

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
  size_t at_ = 0;
  size_t keys_ = 0;
  std::string text_;
  std::vector<char> closers_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  jsonfuzz::checkReading(Expander(data, size).expand());
  return 0;
}
