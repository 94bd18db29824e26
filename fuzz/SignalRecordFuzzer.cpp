// Builds signal texts from arbitrary facts: touches, request types, library versions, clock
// readings, click values and stack traces. Nothing may fault, and every text is web-safe base 64
// without padding of a record of the fixed size, whose fields are the facts handed over; a stack
// trace's digest does not change when an address is added at its end.
//
// Input: a sequence of commands; each starts with a byte that picks one and takes what it needs.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/RookStringEncoding.h"
#include "signals/TADSignalRecord.h"
#include "signals/TADSignalState.h"

namespace {

constexpr size_t kRequestRecordBytes = 29;
constexpr size_t kClickRecordBytes = 37;

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool empty() const { return size_ == 0; }
  template <typename T>
  T take() {
    T value{};
    size_t count = std::min(sizeof value, size_);
    std::memcpy(&value, data_, count);
    data_ += count;
    size_ -= count;
    return value;
  }
  // Bytes up to the next NUL, or to the end.
  std::string_view text() {
    std::string_view rest(reinterpret_cast<const char*>(data_), size_);
    size_t end = std::min(rest.find('\0'), rest.size());
    size_t used = std::min(end + 1, size_);
    data_ += used;
    size_ -= used;
    return rest.substr(0, end);
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

uint32_t readUInt32(const std::vector<uint8_t>& bytes, size_t offset) {
  return (uint32_t{bytes[offset]} << 24) | (uint32_t{bytes[offset + 1]} << 16) |
         (uint32_t{bytes[offset + 2]} << 8) | uint32_t{bytes[offset + 3]};
}

std::vector<uint8_t> decoded(const std::string& text, size_t expectedSize) {
  require(
      text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_") ==
          std::string::npos,
      "a signal text is not web-safe base 64 without padding");
  static const auto encoding = [] {
    auto websafe = RookStringEncoding::rfc4648Base64WebsafeStringEncoding();
    websafe->setDoPad(false);
    return websafe;
  }();
  std::optional<std::vector<uint8_t>> bytes = encoding->decode(text);
  require(bytes && bytes->size() == expectedSize, "a signal record has the wrong size");
  return *bytes;
}

void checkStateFields(const std::vector<uint8_t>& bytes, uint8_t kind, const TADSignalState& state,
                      double now) {
  require(bytes[0] == kind, "a signal record is of the wrong kind");
  require(readUInt32(bytes, 1) == state.touchCount(), "the touch count is not the state's");
  require(readUInt32(bytes, 5) == static_cast<uint32_t>(state.lastTouch().x) &&
              readUInt32(bytes, 9) == static_cast<uint32_t>(state.lastTouch().y) &&
              readUInt32(bytes, 13) == static_cast<uint32_t>(state.lastTouch().duration),
          "the last touch is not the state's");
  require(readUInt32(bytes, 17) == state.millisecondsSinceStart(now),
          "the time is not the state's");
  require(readUInt32(bytes, 21) == static_cast<uint32_t>(state.requestType()),
          "the request type is not the state's");
  require(readUInt32(bytes, 25) == TADSignalRecord::digest(state.sdkVersion()),
          "the version digest is not the state's");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  TADSignalState state(input.take<double>());
  double now = 0;
  while (!input.empty()) {
    switch (input.take<uint8_t>() % 5) {
      case 0: {
        TADSignalState::Touch touch{input.take<int32_t>(), input.take<int32_t>(),
                                    input.take<int32_t>()};
        state.recordTouch(touch);
        break;
      }
      case 1: {
        int32_t type = input.take<int32_t>();
        state.recordRequest(type, std::string(input.text()));
        break;
      }
      case 2:
        now = input.take<double>();
        break;
      case 3: {
        std::string text = TADSignalRecord::requestText(state, now);
        checkStateFields(decoded(text, kRequestRecordBytes), TADSignalRecord::kRequestKind, state,
                         now);
        break;
      }
      case 4: {
        std::string_view clickValue = input.text();
        std::string_view stack = input.text();
        std::string text = TADSignalRecord::clickText(state, now, clickValue, stack);
        std::vector<uint8_t> bytes = decoded(text, kClickRecordBytes);
        checkStateFields(bytes, TADSignalRecord::kClickKind, state, now);
        require(readUInt32(bytes, 29) == TADSignalRecord::digest(clickValue),
                "the click value's digest is not in the record");
        uint32_t stackDigest = TADSignalRecord::stackDigest(stack);
        require(readUInt32(bytes, 33) == stackDigest, "the stack's digest is not in the record");
        require(TADSignalRecord::stackDigest(std::string(stack) + " 0x7ffd1234abcd") == stackDigest,
                "an address changed a stack's digest");
        break;
      }
    }
  }
  return 0;
}
