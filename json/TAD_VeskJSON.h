#pragma once

// TAD_VeskJSON: the ad library's own JSON reader and writer.
//
// Writing turns a base::Value into JSON text: compact, or one member or element per indented line
// with " : " between key and value (humanReadable); object members in the dictionary's own order,
// or ascending by key (sortKeys). Strings are UTF-8: the quotation mark, the backslash and the
// control characters U+0000..U+001F are escaped, everything else (the solidus and all bytes from
// 0x80 up) is written as it is. Booleans are true/false, numbers their decimal text, dates and
// data their description as a string.
//
// Reading takes NUL-terminated UTF-8 text (a NUL inside a std::string ends the input) and yields
// null, booleans, numbers, strings, arrays and dictionaries. Numbers keep the exact value of their
// text: an integer that fits in 64 bits becomes an integer, any other number an exact
// base::Decimal. The grammar of single values is strict; the comma between two members or two
// elements may be left out. A key that occurs twice keeps the later value. Text that is not valid
// UTF-8 is refused as missing input is (code 12).
//
// Nesting: the reader refuses containers nested deeper than maxDepth (0: no limit of the caller's)
// and, whatever maxDepth says, deeper than kNestingSafetyLimit (code 7, "Nested too deep"). The
// reader itself does not recurse, but the values it returns and the chains of errors it reports
// are freed recursively, and the writer recurses: the limit keeps all of them within the stack.
// The writer refuses values nested deeper than that limit in the same way.
//
// Failures return nothing and, when the caller passes an error out-parameter, an error of the
// domain TAD_VeskJSONErrorDomain whose code is one of ErrorCode and whose message is under
// base::Error::kLocalizedDescriptionKey; errors raised inside containers chain the error that
// caused them as their underlying error, one link per level.
//
// An instance serves one call at a time on one thread; calls leave no state behind that affects
// the next one.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/Value.h"

extern const char TAD_VeskJSONErrorDomain[];

class TAD_VeskJSON {
 public:
  enum ErrorCode : int64_t {
    kUnsupportedValue = 1,
    kMalformedNumber = 2,
    kMalformedStructure = 3,
    kNotAContainer = 4,
    kControlCharacter = 5,
    kBadUnicodeEscape = 6,
    kNestedTooDeep = 7,
    kIllegalEscape = 8,
    kTrailingComma = 9,
    kGarbageAfterValue = 10,
    kUnexpectedEnd = 11,
    kNoInput = 12,
  };

  static constexpr uint32_t kDefaultMaxDepth = 512;
  static constexpr uint32_t kNestingSafetyLimit = 10000;

  TAD_VeskJSON() = default;

  bool humanReadable() const { return humanReadable_; }
  void setHumanReadable(bool humanReadable) { humanReadable_ = humanReadable; }
  bool sortKeys() const { return sortKeys_; }
  void setSortKeys(bool sortKeys) { sortKeys_ = sortKeys; }
  uint32_t maxDepth() const { return maxDepth_; }
  void setMaxDepth(uint32_t maxDepth) { maxDepth_ = maxDepth; }

  // The root must be a dictionary or an array.
  std::optional<std::string> stringWithObject(const base::Value& value,
                                              base::Error* error = nullptr);
  // Any single value.
  std::optional<std::string> stringWithFragment(const base::Value& value,
                                                base::Error* error = nullptr);
  std::optional<std::string> stringWithObject(const base::Value& value, bool allowScalar,
                                              base::Error* error = nullptr);

  // The root must be an object or an array. A null text is missing input.
  std::optional<base::Value> objectWithString(const char* text, base::Error* error = nullptr);
  std::optional<base::Value> objectWithString(const std::string& text,
                                              base::Error* error = nullptr);
  // Any single value.
  std::optional<base::Value> fragmentWithString(const char* text, base::Error* error = nullptr);
  std::optional<base::Value> fragmentWithString(const std::string& text,
                                                base::Error* error = nullptr);
  std::optional<base::Value> objectWithString(const char* text, bool allowScalar,
                                              base::Error* error = nullptr);
  std::optional<base::Value> objectWithString(const std::string& text, bool allowScalar,
                                              base::Error* error = nullptr);

 private:
  std::optional<base::Value> read(const char* text, size_t length, bool allowScalar,
                                  base::Error* error);

  bool appendValue(const base::Value& value, std::string& out, base::Error* error);
  bool appendDictionary(const base::Dictionary& dictionary, std::string& out, base::Error* error);
  bool appendArray(const base::Array& array, std::string& out, base::Error* error);
  template <typename Entries>
  bool appendMembers(const Entries& entries, std::string& out, base::Error* error);
  static std::vector<const base::Dictionary::Entry*> sortedEntries(
      const base::Dictionary& dictionary);
  bool appendString(std::string_view text, std::string& out, base::Error* error);
  static void appendEscaped(unsigned char byte, std::string& out);
  bool appendNumber(const base::Value& number, std::string& out, base::Error* error);
  void appendIndent(std::string& out) const;
  bool enterWrittenContainer(base::Error* error);

  // An open container while reading.
  struct Frame {
    bool isObject = false;
    bool hasValue = false;  // a member or element has just been read
    size_t keysBottom = 0;
    size_t valuesBottom = 0;
    size_t key = 0;  // the current member's key
  };
  enum class Continuation { kFailed, kNeedsValue, kClosed };

  bool scanDocument(base::Error* error);
  // Pushes a scalar on the reading stack, or opens a container.
  bool scanValue(base::Error* error);
  bool openContainer(bool isObject, base::Error* error);
  Continuation continueDictionary(base::Error* error);
  Continuation continueArray(base::Error* error);
  // Past the separator after an element (a comma, but none right before closer) and past closer
  // when it ends the container: kClosed then, kNeedsValue when another element may follow.
  [[gnu::always_inline]] Continuation passSeparator(Frame& frame, char closer,
                                                    const char* trailingComma,
                                                    const char* endOfInput, base::Error* error);
  static Continuation failed(base::Error* error, int64_t code, const char* message);
  bool failInside(size_t count, base::Error* error);
  void pushDictionary(size_t keysBottom, size_t valuesBottom);
  void pushArray(size_t bottom);
  bool scanRestOfString(std::string& text, base::Error* error);
  bool skipRun();
  bool failMalformedUtf8(base::Error* error);
  bool scanEscape(std::string& text, base::Error* error);
  bool scanRestOfNull(base::Error* error);
  bool scanRestOfTrue(base::Error* error);
  bool scanRestOfFalse(base::Error* error);
  bool scanNumber(base::Error* error);
  bool scanUnicodeChar(uint32_t& character, base::Error* error);
  bool scanHexQuad(uint32_t& unit, base::Error* error);
  bool scanIsAtEnd();
  bool enterReadContainer(base::Error* error);
  void skipWhiteSpace();

  bool humanReadable_ = false;
  bool sortKeys_ = false;
  uint32_t maxDepth_ = kDefaultMaxDepth;
  uint32_t depth_ = 0;
  const char* c_ = nullptr;
  const char* end_ = nullptr;  // where the text's terminating NUL is
  bool malformedUtf8_ = false;
  struct Scratch;
  class ScratchLease;
  Scratch* scratch_ = nullptr;  // the thread's reading buffers, during a reading
};
