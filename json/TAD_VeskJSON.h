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
// reader and the writer do not recurse, but the values read and the chains of errors reported are
// freed recursively: the limit keeps them within the stack. The writer refuses values nested
// deeper than that limit in the same way.
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
  // As above; when the reading fails, failureOffset gets the byte offset in text of the character
  // the reading stopped at, the first that does not fit (text.size() when the text ended too
  // soon). For tools that point a person at the place, as a line and column.
  std::optional<base::Value> objectWithString(const std::string& text, bool allowScalar,
                                              base::Error* error, size_t* failureOffset);

 private:
  bool humanReadable_ = false;
  bool sortKeys_ = false;
  uint32_t maxDepth_ = kDefaultMaxDepth;
};
