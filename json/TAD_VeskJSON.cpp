#include "json/TAD_VeskJSON.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "json/Utf8Validator.h"

const char TAD_VeskJSONErrorDomain[] = "com.quillbeck.tad.VeskJSON";

namespace {

using base::Error;
using base::Value;

// The stop set for runs of plain string characters: the quotation mark, the backslash and the
// control bytes 0x01..0x1F, NUL-terminated, so the terminating NUL of the input stops a run too.
constexpr std::array<char, 34> makeCtrl() {
  std::array<char, 34> set{};
  set[0] = '"';
  set[1] = '\\';
  for (int byte = 1; byte < 0x20; ++byte)
    set[static_cast<size_t>(byte) + 1] = static_cast<char>(byte);
  set[33] = '\0';
  return set;
}
constexpr std::array<char, 34> ctrl = makeCtrl();

// ctrl as a lookup table, NUL included, so that a run is measured with one load per byte.
constexpr std::array<bool, 256> makeRunStops() {
  std::array<bool, 256> stops{};
  stops[0] = true;
  for (char byte : ctrl)
    stops[static_cast<unsigned char>(byte)] = true;
  return stops;
}
constexpr std::array<bool, 256> kRunStops = makeRunStops();

// The characters that a written string must escape: U+0000..U+001F, '"' and '\'.
constexpr std::array<bool, 256> makeEscapeChars() {
  std::array<bool, 256> escape{};
  for (int byte = 0; byte < 0x20; ++byte)
    escape[static_cast<size_t>(byte)] = true;
  escape['"'] = true;
  escape['\\'] = true;
  return escape;
}
constexpr std::array<bool, 256> kEscapeChars = makeEscapeChars();

// The C library's white-space class in the default locale.
constexpr std::array<bool, 256> makeWhiteSpace() {
  std::array<bool, 256> space{};
  for (char byte : {' ', '\t', '\n', '\v', '\f', '\r'})
    space[static_cast<unsigned char>(byte)] = true;
  return space;
}
constexpr std::array<bool, 256> kWhiteSpace = makeWhiteSpace();

bool isDigit(char byte) {
  return byte >= '0' && byte <= '9';
}

Error err(int64_t code, std::string message) {
  return Error(
      TAD_VeskJSONErrorDomain, code,
      base::Dictionary{{std::string(Error::kLocalizedDescriptionKey), Value(std::move(message))}});
}

// A new error whose underlying error is the one the out-parameter holds, if it holds one.
Error errWithUnderlier(int64_t code, Error* error, std::string message) {
  std::shared_ptr<const Error> underlier;
  if (error && !error->domain().empty())
    underlier = std::make_shared<const Error>(std::move(*error));
  return Error(
      TAD_VeskJSONErrorDomain, code,
      base::Dictionary{{std::string(Error::kLocalizedDescriptionKey), Value(std::move(message))}},
      std::move(underlier));
}

bool fail(Error* error, int64_t code, std::string message) {
  if (error) *error = err(code, std::move(message));
  return false;
}

bool failChained(Error* error, int64_t code, std::string message) {
  if (error) *error = errWithUnderlier(code, error, std::move(message));
  return false;
}

std::string withHexCode(const char* prefix, unsigned code) {
  char text[64];
  snprintf(text, sizeof text, "%s'0x%x'", prefix, code);
  return text;
}

void appendUtf8(uint32_t character, std::string& out) {
  if (character < 0x80) {
    out += static_cast<char>(character);
  } else if (character < 0x800) {
    char bytes[] = {static_cast<char>(0xC0 | (character >> 6)),
                    static_cast<char>(0x80 | (character & 0x3F))};
    out.append(bytes, 2);
  } else if (character < 0x10000) {
    char bytes[] = {static_cast<char>(0xE0 | (character >> 12)),
                    static_cast<char>(0x80 | ((character >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (character & 0x3F))};
    out.append(bytes, 3);
  } else {
    char bytes[] = {static_cast<char>(0xF0 | (character >> 18)),
                    static_cast<char>(0x80 | ((character >> 12) & 0x3F)),
                    static_cast<char>(0x80 | ((character >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (character & 0x3F))};
    out.append(bytes, 4);
  }
}

// A decimal is kept only if its standard text reads back: the reader's decimal type refuses
// scientific exponents from 2^31 on, which digits and exponent together can otherwise reach.
bool hasReadableExponent(const base::Decimal& decimal) {
  constexpr int64_t kLimit = int64_t{1} << 31;
  int64_t scientific = static_cast<int64_t>(decimal.digits().size()) + decimal.exponent() - 1;
  return scientific > -kLimit && scientific < kLimit;
}

}  // namespace

// Writing

std::optional<std::string> TAD_VeskJSON::stringWithObject(const Value& value, Error* error) {
  return stringWithObject(value, false, error);
}

std::optional<std::string> TAD_VeskJSON::stringWithFragment(const Value& value, Error* error) {
  return stringWithObject(value, true, error);
}

std::optional<std::string> TAD_VeskJSON::stringWithObject(const Value& value, bool allowScalar,
                                                          Error* error) {
  depth_ = 0;
  std::string out;
  out.reserve(128);
  if (!allowScalar && !value.isDictionary() && !value.isArray()) {
    fail(error, kNotAContainer, "Not valid type for JSON");
    return std::nullopt;
  }
  Error local;
  if (!appendValue(value, out, &local)) {
    if (error) *error = std::move(local);
    return std::nullopt;
  }
  return out;
}

bool TAD_VeskJSON::appendValue(const Value& value, std::string& out, Error* error) {
  switch (value.kind()) {
    case Value::Kind::Dictionary:
      return appendDictionary(*value.asDictionary(), out, error);
    case Value::Kind::Array:
      return appendArray(*value.asArray(), out, error);
    case Value::Kind::String:
      return appendString(*value.asString(), out, error);
    case Value::Kind::Boolean:
      out += *value.asBoolean() ? "true" : "false";
      return true;
    case Value::Kind::Integer:
    case Value::Kind::Double:
    case Value::Kind::Decimal:
      return appendNumber(value, out, error);
    case Value::Kind::Null:
      out += "null";
      return true;
    case Value::Kind::Date:
    case Value::Kind::Data:
      return appendString(value.description(), out, error);
  }
  return fail(error, kUnsupportedValue, "JSON serialisation not supported for unknown value");
}

bool TAD_VeskJSON::appendNumber(const Value& number, std::string& out, Error* error) {
  if (number.kind() == Value::Kind::Integer) {
    char text[24];
    auto result = std::to_chars(text, text + sizeof text, number.toInt64());
    out.append(text, result.ptr);
    return true;
  }
  if (number.kind() == Value::Kind::Decimal) {
    out += number.asDecimal()->toString();
    return true;
  }
  // A non-finite double has no JSON text; writing "nan" or "inf" would make text that no reader
  // accepts, this one included.
  if (!std::isfinite(number.toDouble())) {
    return fail(error, kUnsupportedValue,
                "JSON serialisation not supported for " + number.numberString());
  }
  out += number.numberString();
  return true;
}

bool TAD_VeskJSON::enterWrittenContainer(Error* error) {
  if (++depth_ <= kNestingSafetyLimit) return true;
  return fail(error, kNestedTooDeep, "Nested too deep");
}

bool TAD_VeskJSON::appendDictionary(const base::Dictionary& dictionary, std::string& out,
                                    Error* error) {
  out += '{';
  if (!enterWrittenContainer(error)) return false;
  std::string_view separator = humanReadable_ ? " : " : ":";

  std::vector<const base::Dictionary::Entry*> entries;
  entries.reserve(dictionary.size());
  for (const base::Dictionary::Entry& entry : dictionary)
    entries.push_back(&entry);
  if (sortKeys_) {
    std::sort(entries.begin(), entries.end(),
              [](const auto* a, const auto* b) { return a->first < b->first; });
  }

  bool first = true;
  for (const base::Dictionary::Entry* entry : entries) {
    if (!first) out += ',';
    first = false;
    if (humanReadable_) appendIndent(out);
    appendString(entry->first, out, error);
    out += separator;
    if (!appendValue(entry->second, out, error)) {
      return fail(error, kUnsupportedValue,
                  "Unsupported value for key " + entry->first + " in object");
    }
  }

  --depth_;
  if (humanReadable_ && !dictionary.empty()) appendIndent(out);
  out += '}';
  return true;
}

bool TAD_VeskJSON::appendArray(const base::Array& array, std::string& out, Error* error) {
  out += '[';
  if (!enterWrittenContainer(error)) return false;
  bool first = true;
  for (const Value& element : array) {
    if (!first) out += ',';
    first = false;
    if (humanReadable_) appendIndent(out);
    if (!appendValue(element, out, error)) return false;
  }
  --depth_;
  if (humanReadable_ && !array.empty()) appendIndent(out);
  out += ']';
  return true;
}

bool TAD_VeskJSON::appendString(std::string_view text, std::string& out, Error*) {
  out += '"';
  const char* run = text.data();
  const char* end = run + text.size();
  const char* cursor = run;
  while (cursor != end) {
    unsigned char byte = static_cast<unsigned char>(*cursor);
    if (!kEscapeChars[byte]) {
      ++cursor;
      continue;
    }
    out.append(run, cursor);
    switch (byte) {
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default: {
        static constexpr char kHex[] = "0123456789abcdef";
        char escape[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
        out.append(escape, sizeof escape);
      }
    }
    run = ++cursor;
  }
  out.append(run, end);
  out += '"';
  return true;
}

void TAD_VeskJSON::appendIndent(std::string& out) const {
  out += '\n';
  out.append(2 * static_cast<size_t>(depth_), ' ');
}

// Reading

std::optional<Value> TAD_VeskJSON::objectWithString(const char* text, Error* error) {
  return objectWithString(text, false, error);
}

std::optional<Value> TAD_VeskJSON::objectWithString(const std::string& text, Error* error) {
  return objectWithString(text, false, error);
}

std::optional<Value> TAD_VeskJSON::fragmentWithString(const char* text, Error* error) {
  return objectWithString(text, true, error);
}

std::optional<Value> TAD_VeskJSON::fragmentWithString(const std::string& text, Error* error) {
  return objectWithString(text, true, error);
}

std::optional<Value> TAD_VeskJSON::objectWithString(const char* text, bool allowScalar,
                                                    Error* error) {
  return read(text, text ? std::strlen(text) : 0, allowScalar, error);
}

std::optional<Value> TAD_VeskJSON::objectWithString(const std::string& text, bool allowScalar,
                                                    Error* error) {
  return read(text.c_str(), text.size(), allowScalar, error);
}

std::optional<Value> TAD_VeskJSON::read(const char* text, size_t length, bool allowScalar,
                                        Error* error) {
  if (!text || !Utf8Validator::isValid(std::string_view(text, length))) {
    fail(error, kNoInput, "Input was 'nil'");
    return std::nullopt;
  }
  depth_ = 0;
  c_ = text;
  Error local;
  Value value;
  if (!scanValue(value, &local)) {
    if (error) *error = std::move(local);
    return std::nullopt;
  }
  if (!scanIsAtEnd()) {
    fail(error, kGarbageAfterValue, "Garbage after JSON");
    return std::nullopt;
  }
  if (!allowScalar && !value.isDictionary() && !value.isArray()) {
    fail(error, kNotAContainer, "Valid fragment, but not JSON");
    return std::nullopt;
  }
  return value;
}

void TAD_VeskJSON::skipWhiteSpace() {
  while (kWhiteSpace[static_cast<unsigned char>(*c_)])
    ++c_;
}

bool TAD_VeskJSON::scanIsAtEnd() {
  skipWhiteSpace();
  return *c_ == '\0';
}

bool TAD_VeskJSON::scanValue(Value& value, Error* error) {
  skipWhiteSpace();
  char leading = *c_++;
  switch (leading) {
    case '{':
      return scanRestOfDictionary(value, error);
    case '[':
      return scanRestOfArray(value, error);
    case '"': {
      std::string text;
      if (!scanRestOfString(text, error)) return false;
      value = Value(std::move(text));
      return true;
    }
    case 'n':
      return scanRestOfNull(value, error);
    case 't':
      return scanRestOfTrue(value, error);
    case 'f':
      return scanRestOfFalse(value, error);
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
      --c_;
      return scanNumber(value, error);
    case '+':
      return fail(error, kMalformedNumber, "Leading + disallowed in number");
    case '\0':
      --c_;  // the cursor never passes the terminating NUL
      return fail(error, kUnexpectedEnd, "Unexpected end of string");
    default:
      return fail(error, kMalformedStructure, "Unrecognised leading character");
  }
}

bool TAD_VeskJSON::scanRestOfNull(Value& value, Error* error) {
  if (c_[0] != 'u' || c_[1] != 'l' || c_[2] != 'l') {
    return fail(error, kMalformedStructure, "Expected 'null'");
  }
  c_ += 3;
  value = Value();
  return true;
}

bool TAD_VeskJSON::scanRestOfTrue(Value& value, Error* error) {
  if (c_[0] != 'r' || c_[1] != 'u' || c_[2] != 'e') {
    return fail(error, kMalformedStructure, "Expected 'true'");
  }
  c_ += 3;
  value = Value(true);
  return true;
}

bool TAD_VeskJSON::scanRestOfFalse(Value& value, Error* error) {
  if (c_[0] != 'a' || c_[1] != 'l' || c_[2] != 's' || c_[3] != 'e') {
    return fail(error, kMalformedStructure, "Expected 'false'");
  }
  c_ += 4;
  value = Value(false);
  return true;
}

bool TAD_VeskJSON::scanNumber(Value& value, Error* error) {
  const char* start = c_;
  bool negative = *c_ == '-';
  if (negative) ++c_;

  // Integers of up to 19 digits are gathered on the way; they are the common case and need no
  // decimal arithmetic.
  uint64_t magnitude = 0;
  if (*c_ == '0') {
    ++c_;
    if (isDigit(*c_)) return fail(error, kMalformedNumber, "Leading 0 disallowed in number");
  } else if (!isDigit(*c_)) {
    return fail(error, kMalformedNumber, "No digits after initial minus");
  } else {
    while (isDigit(*c_))
      magnitude = magnitude * 10 + static_cast<uint64_t>(*c_++ - '0');
  }
  size_t integerDigits = static_cast<size_t>(c_ - start) - (negative ? 1 : 0);
  bool integral = true;

  if (*c_ == '.') {
    integral = false;
    ++c_;
    if (!isDigit(*c_)) return fail(error, kMalformedNumber, "No digits after decimal point");
    while (isDigit(*c_))
      ++c_;
  }
  if (*c_ == 'e' || *c_ == 'E') {
    integral = false;
    ++c_;
    if (*c_ == '+' || *c_ == '-') ++c_;
    if (!isDigit(*c_)) return fail(error, kMalformedNumber, "No digits after exponent");
    while (isDigit(*c_))
      ++c_;
  }

  // Nineteen digits always fit in 64 unsigned bits, so the gathered magnitude is exact there.
  constexpr uint64_t kMaxPositive = static_cast<uint64_t>(INT64_MAX);
  if (integral && integerDigits <= 19 && magnitude <= kMaxPositive + (negative ? 1 : 0)) {
    value = Value(negative ? static_cast<int64_t>(uint64_t{0} - magnitude)
                           : static_cast<int64_t>(magnitude));
    return true;
  }
  std::optional<base::Decimal> decimal =
      base::Decimal::fromString(std::string_view(start, static_cast<size_t>(c_ - start)));
  if (!decimal || !hasReadableExponent(*decimal)) {
    return fail(error, kMalformedNumber, "Failed creating decimal instance");
  }
  value = Value(std::move(*decimal));
  return true;
}

bool TAD_VeskJSON::scanRestOfString(std::string& text, Error* error) {
  for (;;) {
    const char* run = c_;
    while (!kRunStops[static_cast<unsigned char>(*c_)])
      ++c_;
    if (c_ != run) text.append(run, c_);

    char stop = *c_;
    if (stop == '"') {
      ++c_;
      return true;
    }
    if (stop != '\\') {
      return fail(error, kControlCharacter,
                  withHexCode("Unescaped control character ", static_cast<unsigned char>(stop)));
    }
    ++c_;
    if (!scanEscape(text, error)) return false;
    if (*c_ == '\0') return fail(error, kUnexpectedEnd, "Unexpected EOF while parsing string");
  }
}

bool TAD_VeskJSON::scanEscape(std::string& text, Error* error) {
  char letter = *c_;
  switch (letter) {
    case '"':
    case '/':
    case '\\':
      text += letter;
      break;
    case 'b':
      text += '\b';
      break;
    case 'f':
      text += '\f';
      break;
    case 'n':
      text += '\n';
      break;
    case 'r':
      text += '\r';
      break;
    case 't':
      text += '\t';
      break;
    case 'u': {
      ++c_;
      uint32_t character = 0;
      if (!scanUnicodeChar(character, error)) {
        return failChained(error, kBadUnicodeEscape, "Broken unicode character");
      }
      appendUtf8(character, text);
      return true;
    }
    default: {
      // The code is shown as a signed byte widened to 16 bits, as the message has always read.
      auto shown = static_cast<uint16_t>(static_cast<int16_t>(static_cast<signed char>(letter)));
      return fail(error, kIllegalEscape, withHexCode("Illegal escape sequence ", shown));
    }
  }
  ++c_;
  return true;
}

bool TAD_VeskJSON::scanUnicodeChar(uint32_t& character, Error* error) {
  uint32_t high = 0;
  if (!scanHexQuad(high, error)) return fail(error, kBadUnicodeEscape, "Missing hex quad");
  if (high < 0xD800 || high >= 0xE000) {
    character = high;
    return true;
  }
  if (high >= 0xDC00) {
    return fail(error, kBadUnicodeEscape, "Invalid high character in surrogate pair");
  }
  uint32_t low = 0;
  if (c_[0] != '\\' || c_[1] != 'u') {
    return failChained(error, kBadUnicodeEscape, "Missing low character in surrogate pair");
  }
  c_ += 2;
  if (!scanHexQuad(low, error)) {
    return failChained(error, kBadUnicodeEscape, "Missing low character in surrogate pair");
  }
  if (low < 0xDC00 || low > 0xDFFF) {
    return fail(error, kBadUnicodeEscape, "Invalid low surrogate char");
  }
  character = 0x10000 + ((high & 0x3FF) << 10) + (low & 0x3FF);
  return true;
}

bool TAD_VeskJSON::scanHexQuad(uint32_t& unit, Error* error) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i, ++c_) {
    char digit = *c_;
    uint32_t nibble;
    if (digit >= '0' && digit <= '9') {
      nibble = static_cast<uint32_t>(digit - '0');
    } else if (digit >= 'a' && digit <= 'f') {
      nibble = static_cast<uint32_t>(digit - 'a' + 10);
    } else if (digit >= 'A' && digit <= 'F') {
      nibble = static_cast<uint32_t>(digit - 'A' + 10);
    } else {
      return fail(error, kBadUnicodeEscape, "Missing hex digit in quad");
    }
    value = value << 4 | nibble;
  }
  unit = value;
  return true;
}

bool TAD_VeskJSON::enterReadContainer(Error* error) {
  ++depth_;
  uint32_t limit = maxDepth_ == 0 ? kNestingSafetyLimit : std::min(maxDepth_, kNestingSafetyLimit);
  if (depth_ <= limit) return true;
  return fail(error, kNestedTooDeep, "Nested too deep");
}

bool TAD_VeskJSON::scanRestOfDictionary(Value& value, Error* error) {
  if (!enterReadContainer(error)) return false;
  base::Dictionary dictionary;
  dictionary.reserve(7);
  for (;;) {
    if (*c_ == '\0') return fail(error, kUnexpectedEnd, "End of input while parsing object");
    skipWhiteSpace();
    if (*c_ == '}') {
      ++c_;
      --depth_;
      value = Value(std::move(dictionary));
      return true;
    }

    std::string key;
    if (*c_ != '"') return failChained(error, kMalformedStructure, "Object key string expected");
    ++c_;
    if (!scanRestOfString(key, error)) {
      return failChained(error, kMalformedStructure, "Object key string expected");
    }
    skipWhiteSpace();
    if (*c_ != ':') {
      return fail(error, kMalformedStructure, "Expected ':' separating key and value");
    }
    ++c_;
    Value member;
    if (!scanValue(member, error)) {
      return failChained(error, kMalformedStructure, "Object value expected for key: " + key);
    }
    dictionary.set(std::move(key), std::move(member));

    skipWhiteSpace();
    if (*c_ == ',') {
      ++c_;
      skipWhiteSpace();
      if (*c_ == '}') return fail(error, kTrailingComma, "Trailing comma disallowed in object");
    }
  }
}

bool TAD_VeskJSON::scanRestOfArray(Value& value, Error* error) {
  if (!enterReadContainer(error)) return false;
  base::Array array;
  array.reserve(8);
  for (;;) {
    if (*c_ == '\0') return fail(error, kUnexpectedEnd, "End of input while parsing array");
    skipWhiteSpace();
    if (*c_ == ']') {
      ++c_;
      --depth_;
      value = Value(std::move(array));
      return true;
    }

    Value element;
    if (!scanValue(element, error)) {
      return failChained(error, kMalformedStructure, "Expected value while parsing array");
    }
    array.push_back(std::move(element));

    skipWhiteSpace();
    if (*c_ == ',') {
      ++c_;
      skipWhiteSpace();
      if (*c_ == ']') return fail(error, kTrailingComma, "Trailing comma disallowed in array");
    }
  }
}
