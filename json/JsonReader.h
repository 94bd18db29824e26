#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/Error.h"
#include "base/Value.h"

namespace veskjson {

class DecodedText;

// One reading: where it is in the text and the open containers.
class JsonReader {
 public:
  explicit JsonReader(uint32_t maxDepth);

  std::optional<base::Value> read(const char* text, size_t length, bool allowScalar,
                                  base::Error* error);
  // After a reading: how far into the text it got.
  size_t offset() const { return static_cast<size_t>(c_ - text_); }

 private:
  // An open container while reading.
  struct Frame {
    bool isObject = false;
    bool hasValue = false;  // a member or element has just been read
    size_t bottom = 0;      // where its run starts on the reading stack
    size_t key = 0;         // where the current member's key is on it
  };
  enum class Continuation { kFailed, kNeedsValue, kClosed };
  struct Scratch;
  class ScratchLease;

  bool scanDocument(base::Error* error);
  // Pushes a scalar on the reading stack, or opens a container; from where the value starts, past
  // any white space.
  [[gnu::always_inline]] bool scanValue(base::Error* error);
  [[gnu::always_inline]] bool openContainer(bool isObject, base::Error* error);
  // The innermost open object or array, from after its opening or its last member or element up
  // to where it needs its next value, or past its end (when it is made and takes the place of
  // its elements on the reading stack).
  [[gnu::always_inline]] Continuation scanRestOfDictionary(base::Error* error);
  [[gnu::always_inline]] Continuation scanRestOfArray(base::Error* error);
  // Past the separator after an element (a comma, but none right before closer) and past closer
  // when it ends the container: kClosed then, kNeedsValue when another element may follow.
  [[gnu::always_inline]] Continuation passSeparator(Frame& frame, char closer,
                                                    const char* trailingComma,
                                                    const char* endOfInput, base::Error* error);
  static Continuation failed(base::Error* error, int64_t code, const char* message);
  bool failInside(size_t count, base::Error* error);
  void pushDictionary(size_t bottom);
  void pushArray(size_t bottom);
  // The string's text is left in the input when it holds no escapes, else in the string buffer
  // until the next string is read. A failure returns a view without data. Inline, as every key
  // and string passes here; a string with escapes goes on out of line from where its first run,
  // starting at run, stopped.
  [[gnu::always_inline]] std::string_view scanRestOfString(base::Error* error);
  std::string_view scanRestOfEscapedString(const char* run, base::Error* error);
  [[gnu::always_inline]] bool skipRun();
  bool failMalformedUtf8(base::Error* error);
  bool scanEscape(DecodedText& text, base::Error* error);
  [[gnu::always_inline]] bool scanRestOfNull(base::Error* error);
  [[gnu::always_inline]] bool scanRestOfTrue(base::Error* error);
  [[gnu::always_inline]] bool scanRestOfFalse(base::Error* error);
  [[gnu::always_inline]] bool scanNumber(base::Error* error);
  [[gnu::always_inline]] bool scanRestOfDecimal(const char* start, uint64_t magnitude,
                                                base::Error* error);
  bool scanDecimal(const char* start, uint64_t magnitude, base::Error* error);
  bool scanLongNumber(const char* start, base::Error* error);
  [[gnu::always_inline]] static const char* gatherDigits(const char* cursor, const char* end,
                                                         uint64_t& magnitude);
  bool scanUnicodeChar(uint32_t& character, base::Error* error);
  bool scanHexQuad(uint32_t& unit, base::Error* error);
  bool scanIsAtEnd();
  bool failNestedTooDeep(base::Error* error);
  [[gnu::always_inline]] void skipWhiteSpace();

  const uint32_t depthLimit_;  // the deepest nesting read
  uint32_t depth_ = 0;
  const char* text_ = nullptr;
  const char* c_ = nullptr;
  const char* end_ = nullptr;  // where the text's terminating NUL is
  bool malformedUtf8_ = false;
  Scratch* scratch_ = nullptr;  // the thread's reading buffers, during a reading
};

}  // namespace veskjson
