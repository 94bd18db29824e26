#include "json/JsonReader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/BlockPool.h"
#include "base/Utf8Validator.h"
#include "json/JsonError.h"
#include "json/JsonScan.h"
#include "json/ReadingStack.h"
#include "json/TAD_VeskJSON.h"

namespace veskjson {

using base::Error;
using base::Value;
using enum TAD_VeskJSON::ErrorCode;
constexpr uint32_t kNestingSafetyLimit = TAD_VeskJSON::kNestingSafetyLimit;

namespace {

// The C library's white-space class in the default locale.
constexpr std::array<bool, 256> makeWhiteSpace() {
  std::array<bool, 256> space{};
  for (char byte : {' ', '\t', '\n', '\v', '\f', '\r'})
    space[static_cast<unsigned char>(byte)] = true;
  return space;
}
constexpr std::array<bool, 256> kWhiteSpace = makeWhiteSpace();

// The value of each hexadecimal digit, '0'-'9', 'a'-'f' and 'A'-'F'; 0xFF for other bytes.
constexpr std::array<uint8_t, 256> makeHexDigitValues() {
  std::array<uint8_t, 256> values{};
  values.fill(0xFF);
  for (int digit = 0; digit < 10; ++digit)
    values[static_cast<size_t>('0' + digit)] = static_cast<uint8_t>(digit);
  for (int digit = 0; digit < 6; ++digit) {
    values[static_cast<size_t>('a' + digit)] = static_cast<uint8_t>(10 + digit);
    values[static_cast<size_t>('A' + digit)] = static_cast<uint8_t>(10 + digit);
  }
  return values;
}
constexpr std::array<uint8_t, 256> kHexDigitValues = makeHexDigitValues();

// Exponents written with at most this many digits are gathered as they are read; with the 19
// digits at most of the significand, they stay far inside what a decimal holds.
constexpr ptrdiff_t kShortExponentDigits = 5;

// The digits' scales, by how many were gathered at once.
constexpr std::array<uint64_t, 17> makePowersOfTen() {
  std::array<uint64_t, 17> powers{};
  uint64_t power = 1;
  for (uint64_t& each : powers) {
    each = power;
    power *= 10;
  }
  return powers;
}
constexpr std::array<uint64_t, 17> kPowersOfTen = makePowersOfTen();

bool isDigit(char byte) {
  return byte >= '0' && byte <= '9';
}

// fail() out of line, for the scalars' readers: a message made on their common path would cost
// that path a frame of its own (a text on the stack, and its guard), taken on every value.
[[gnu::cold, gnu::noinline]] bool refuse(Error* error, int64_t code, const char* message) {
  return fail(error, code, message);
}

}  // namespace

// The text of a string with escapes, decoded into a buffer that keeps its room from string to
// string (its whole size is room; what is used is counted apart). Runs between escapes are copied
// in sixteen-byte pieces into room made ahead, so that a string of many short runs makes no call
// per run.
class DecodedText {
 public:
  explicit DecodedText(std::string& buffer) : buffer_(buffer) {}

  void operator+=(char byte) {
    makeRoom(1);
    buffer_[size_++] = byte;
  }
  void append(const char* bytes, size_t count) {
    makeRoom(count);
    std::memcpy(buffer_.data() + size_, bytes, count);
    size_ += count;
  }
  // Appends the input's bytes [run, runEnd); the input may be read up to inputEnd, its
  // terminating NUL, and pieces are copied whole where it allows.
  void appendRun(const char* run, const char* runEnd, const char* inputEnd) {
    auto count = static_cast<size_t>(runEnd - run);
    size_t whole = (count + kPiece - 1) / kPiece * kPiece;
    makeRoom(whole);
    char* out = buffer_.data() + size_;
    size_ += count;
    if (static_cast<size_t>(inputEnd - run) < whole) {
      std::memcpy(out, run, count);
      return;
    }
    for (size_t at = 0; at < count; at += kPiece)
      std::memcpy(out + at, run + at, kPiece);
  }
  std::string_view view() const { return std::string_view(buffer_.data(), size_); }

 private:
  static constexpr size_t kPiece = 16;
  void makeRoom(size_t count) {
    if (buffer_.size() - size_ >= count) return;
    buffer_.resize(std::max(2 * buffer_.size(), size_ + count + 64));
  }

  std::string& buffer_;
  size_t size_ = 0;
};

namespace {

void appendUtf8(uint32_t character, DecodedText& out) {
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
  int64_t scientific = static_cast<int64_t>(decimal.digitCount()) + decimal.exponent() - 1;
  return scientific > -kLimit && scientific < kLimit;
}

// A decimal of at most nineteen digits as a value, normalised as base::Decimal keeps it.
Value shortDecimal(bool negative, uint64_t significand, int32_t exponent) {
  if (significand == 0) return Value::shortDecimal(false, 0, 0);  // zero, whatever its sign
  base::Decimal::trimZeros(significand, exponent);
  return Value::shortDecimal(negative, significand, exponent);
}

// How much room the reading stack keeps between readings.
constexpr size_t kKeptValueBytes = size_t{1} << 20;
// Room for this many from the start is more than the pool carves blocks for.
constexpr size_t kFirstValues = 256;

}  // namespace

// Buffers that the readings of one thread share, so that reading small texts, the library's
// everyday case, allocates only what it returns. What a reading leaves is cleared when it ends;
// buffers grown large by a large text are given back. The value stack is kept up to a mebibyte:
// growing it again for every large text (each step moving all values so far into fresh pages)
// took about a third of the reading of a 1 MB document of many small records.
// Every value read, and every member's key, is pushed on `values`; a container, when it closes,
// takes its run off the top in one copy of its bytes and is pushed in its place. Values are so
// moved once into their container, which is made with exactly their number.
struct JsonReader::Scratch {
  std::string stringBuffer;
  ReadingStack values;
  std::vector<Frame> frames;  // the open containers, innermost last
};

class JsonReader::ScratchLease {
 public:
  explicit ScratchLease(Scratch*& holder) : holder_(holder) {
    thread_local Scratch scratch;
    holder_ = &scratch;
  }
  ~ScratchLease() {
    Scratch& scratch = *holder_;
    scratch.values.clear(kKeptValueBytes);
    scratch.frames.clear();
    if (scratch.stringBuffer.capacity() > kKeptStringBytes) {
      scratch.stringBuffer.clear();
      scratch.stringBuffer.shrink_to_fit();
    }
    holder_ = nullptr;
  }
  ScratchLease(const ScratchLease&) = delete;
  ScratchLease& operator=(const ScratchLease&) = delete;

 private:
  static constexpr size_t kKeptStringBytes = 64 * 1024;
  Scratch*& holder_;
};

// Bytes from 0x80 up can only be read inside strings, which check them as they pass; text that
// reads is therefore well-formed up to its end, and only what lies after an inner NUL is checked
// apart. A failed reading checks the whole text, because malformed text is refused as missing
// input whatever else is wrong with it.
std::optional<Value> JsonReader::read(const char* text, size_t length, bool allowScalar,
                                      Error* error) {
  if (!text) {
    fail(error, kNoInput, "Input was 'nil'");
    return std::nullopt;
  }
  text_ = text;
  c_ = text;
  end_ = text + length;
  malformedUtf8_ = false;
  ScratchLease lease(scratch_);
  // The containers read take their blocks from the pool; the reading stack, which stays with
  // the thread, is given its first room outside it.
  scratch_->values.reserve(kFirstValues);
  base::BlockPool::Scope pool;
  Error local;
  bool read = scanDocument(&local);
  if (read && !scanIsAtEnd()) {
    read = false;
    local = err(kGarbageAfterValue, "Garbage after JSON");
  }
  std::string_view unchecked =
      read ? std::string_view(c_, static_cast<size_t>(end_ - c_)) : std::string_view(text, length);
  if (malformedUtf8_ || !base::Utf8Validator::isValid(unchecked)) {
    fail(error, kNoInput, "Input was 'nil'");
    return std::nullopt;
  }
  if (!read) {
    if (error) *error = std::move(local);
    return std::nullopt;
  }
  Value& value = scratch_->values.back();
  if (!allowScalar && !value.isDictionary() && !value.isArray()) {
    fail(error, kNotAContainer, "Valid fragment, but not JSON");
    return std::nullopt;
  }
  return std::move(value);
}

inline void JsonReader::skipWhiteSpace() {
  while (kWhiteSpace[static_cast<unsigned char>(*c_)])
    ++c_;
}

bool JsonReader::scanIsAtEnd() {
  skipWhiteSpace();
  return *c_ == '\0';
}

inline bool JsonReader::scanValue(Error* error) {
  char leading = *c_++;
  switch (leading) {
    case '{':
      return openContainer(true, error);
    case '[':
      return openContainer(false, error);
    case '"': {
      std::string_view text = scanRestOfString(error);
      if (!text.data()) return false;
      scratch_->values.emplace_back(text);
      return true;
    }
    case 'n':
      return scanRestOfNull(error);
    case 't':
      return scanRestOfTrue(error);
    case 'f':
      return scanRestOfFalse(error);
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
      return scanNumber(error);
    case '+':
      --c_;  // a failure leaves the cursor on the character that does not fit
      return fail(error, kMalformedNumber, "Leading + disallowed in number");
    case '\0':
      --c_;  // the cursor never passes the terminating NUL
      return fail(error, kUnexpectedEnd, "Unexpected end of string");
    default:
      --c_;
      return fail(error, kMalformedStructure, "Unrecognised leading character");
  }
}

inline bool JsonReader::scanRestOfNull(Error* error) {
  if (c_[0] != 'u' || c_[1] != 'l' || c_[2] != 'l') {
    return refuse(error, kMalformedStructure, "Expected 'null'");
  }
  c_ += 3;
  scratch_->values.emplace_back();
  return true;
}

inline bool JsonReader::scanRestOfTrue(Error* error) {
  if (c_[0] != 'r' || c_[1] != 'u' || c_[2] != 'e') {
    return refuse(error, kMalformedStructure, "Expected 'true'");
  }
  c_ += 3;
  scratch_->values.emplace_back(true);
  return true;
}

inline bool JsonReader::scanRestOfFalse(Error* error) {
  if (c_[0] != 'a' || c_[1] != 'l' || c_[2] != 's' || c_[3] != 'e') {
    return refuse(error, kMalformedStructure, "Expected 'false'");
  }
  c_ += 4;
  scratch_->values.emplace_back(false);
  return true;
}

// Integers and the common decimal are read here, inline in the reading of every value; other
// decimals, and numbers too long for 64 bits, out of line.
inline bool JsonReader::scanNumber(Error* error) {
  const char* start = c_;
  bool negative = *start == '-';
  // A local cursor, written back once: through the member, every digit stored it and loaded the
  // next byte again.
  const char* cursor = start + (negative ? 1 : 0);

  // Up to 19 digits, whole and fractional together, are gathered on the way: they always fit in
  // 64 unsigned bits, and such numbers, the common case, need no arithmetic on their text.
  uint64_t magnitude = 0;
  if (*cursor == '0') {
    c_ = ++cursor;
    if (isDigit(*cursor)) return refuse(error, kMalformedNumber, "Leading 0 disallowed in number");
  } else {
    // Short, as a rule: the whole part of decimals and most integers.
    for (uint32_t digit; (digit = static_cast<unsigned char>(*cursor) - uint32_t{'0'}) <= 9;
         ++cursor)
      magnitude = magnitude * 10 + digit;
    c_ = cursor;
    if (cursor == start + (negative ? 1 : 0)) {
      return refuse(error, kMalformedNumber, "No digits after initial minus");
    }
  }
  if (*cursor == '.' || (*cursor | 0x20) == 'e') return scanRestOfDecimal(start, magnitude, error);
  size_t digits = static_cast<size_t>(cursor - start) - (negative ? 1 : 0);
  constexpr uint64_t kMaxPositive = static_cast<uint64_t>(INT64_MAX);
  if (digits > 19 || magnitude > kMaxPositive + (negative ? 1 : 0)) {
    return scanLongNumber(start, error);
  }
  scratch_->values.emplace_back(negative ? static_cast<int64_t>(uint64_t{0} - magnitude)
                                         : static_cast<int64_t>(magnitude));
  return true;
}

// From the point or the exponent of the number that starts at start, its whole part gathered.
// The common decimal — a fraction, no exponent, at most nineteen digits in all — is read here,
// its fraction's first sixteen digits at once, and made in place; others go on in scanDecimal.
inline bool JsonReader::scanRestOfDecimal(const char* start, uint64_t magnitude, Error* error) {
  const char* cursor = c_;
  // The sixteen bytes after the point are read, and the sixteen before the fraction's end.
  if (*cursor != '.' || end_ - cursor <= 16 || cursor - text_ < 16) {
    return scanDecimal(start, magnitude, error);
  }
  const char* fraction = cursor + 1;
  uint64_t value;
  uint32_t count = leadingDigits16(fraction, value);
  uint64_t significand = magnitude * kPowersOfTen[count] + value;
  cursor = fraction + count;
  if (count == 16) cursor = gatherDigits(cursor, end_, significand);
  bool negative = *start == '-';
  // The point is not a digit, the sign neither.
  auto digits = static_cast<size_t>(cursor - start) - 1 - (negative ? 1 : 0);
  if (cursor == fraction || (*cursor | 0x20) == 'e' || digits > 19)
    return scanDecimal(start, magnitude, error);
  c_ = cursor;
  auto exponent = static_cast<int32_t>(fraction - cursor);
  if (significand == 0) {
    negative = false;  // zero, whatever its sign
    exponent = 0;
  } else if (cursor[-1] == '0') {
    base::Decimal::trimZeros(significand, exponent);
  }
  scratch_->values.emplace_back(Value::shortDecimal(negative, significand, exponent));
  return true;
}

// Any decimal, from the point or the exponent of the number that starts at start, its whole part
// gathered.
bool JsonReader::scanDecimal(const char* start, uint64_t magnitude, Error* error) {
  bool negative = *start == '-';
  const char* cursor = c_;
  auto digits = static_cast<size_t>(cursor - start) - (negative ? 1 : 0);
  int64_t exponent = 0;
  if (*cursor == '.') {
    const char* fraction = ++cursor;
    cursor = gatherDigits(cursor, end_, magnitude);
    c_ = cursor;
    if (cursor == fraction) return fail(error, kMalformedNumber, "No digits after decimal point");
    digits += static_cast<size_t>(cursor - fraction);
    exponent = -static_cast<int64_t>(cursor - fraction);
    if ((*cursor | 0x20) != 'e') {
      if (digits > 19) return scanLongNumber(start, error);
      scratch_->values.emplace_back(
          shortDecimal(negative, magnitude, static_cast<int32_t>(exponent)));
      return true;
    }
  }
  ++cursor;  // past the 'e' or 'E'
  bool negativeExponent = *cursor == '-';
  if (*cursor == '+' || *cursor == '-') ++cursor;
  c_ = cursor;
  if (!isDigit(*cursor)) return fail(error, kMalformedNumber, "No digits after exponent");
  const char* written = cursor;
  int64_t value = 0;
  for (; isDigit(*cursor); ++cursor) {
    if (cursor - written < kShortExponentDigits) value = value * 10 + (*cursor - '0');
  }
  c_ = cursor;
  // More digits than that leave the gathered exponent meaningless: the text decides below.
  if (cursor - written > kShortExponentDigits) digits = SIZE_MAX;
  exponent += negativeExponent ? -value : value;
  if (digits > 19) return scanLongNumber(start, error);
  scratch_->values.emplace_back(shortDecimal(negative, magnitude, static_cast<int32_t>(exponent)));
  return true;
}

// The number from start to the cursor, read from its text.
bool JsonReader::scanLongNumber(const char* start, Error* error) {
  std::optional<base::Decimal> decimal =
      base::Decimal::fromString(std::string_view(start, static_cast<size_t>(c_ - start)));
  if (!decimal || !hasReadableExponent(*decimal)) {
    return fail(error, kMalformedNumber, "Failed creating decimal instance");
  }
  scratch_->values.emplace_back(std::move(*decimal));
  return true;
}

// Eight digits at a time while eight bytes are left before the end of the text, for the long runs
// of fractions; the magnitude wraps past 64 bits, where the caller no longer uses it. Returns the
// cursor past the digits.
inline const char* JsonReader::gatherDigits(const char* cursor, const char* end,
                                            uint64_t& magnitude) {
  while (end - cursor >= 8) {
    uint64_t value;
    uint32_t count = leadingDigits(load8(cursor), value);
    magnitude = magnitude * kPowersOfTen[count] + value;
    cursor += count;
    if (count < 8) return cursor;
  }
  while (isDigit(*cursor))
    magnitude = magnitude * 10 + static_cast<uint64_t>(*cursor++ - '0');
  return cursor;
}

// Advances the cursor over plain string characters: up to a byte of ctrl, the terminating NUL
// included. Sixteen bytes at a time (eight, then one, near the end of the text) while they are
// ASCII or well-formed UTF-8; blocks that are not are checked sequence by sequence. Returns false
// on malformed UTF-8.
inline bool JsonReader::skipRun() {
  // A local cursor: writes through the member would be repeated on every step, as the compiler
  // cannot tell them apart from writes to the text.
  const char* cursor = c_;
  const char* const end = end_;
  for (;;) {
    if (end - cursor >= 16) {
      uint32_t marks = runStopMarks16(cursor);
      if (marks == 0) {
        cursor += 16;
        continue;
      }
      cursor += std::countr_zero(marks);
    } else if (end - cursor >= 8) {
      uint64_t marks = runStopMarks(load8(cursor));
      if (marks == 0) {
        cursor += 8;
        continue;
      }
      cursor += std::countr_zero(marks) / 8;
    } else {
      while (!kRunStops[static_cast<unsigned char>(*cursor)] &&
             static_cast<unsigned char>(*cursor) < 0x80) {
        ++cursor;
      }
    }
    if (static_cast<unsigned char>(*cursor) < 0x80) break;  // a byte of ctrl
    // Non-ASCII text tends to come in runs: in blocks while they are well-formed, else sequence
    // after sequence.
    if (end - cursor >= 16) {
      TextBlock block = classify16(cursor);
      uint32_t length = plainLength(block);
      if (length != kNotPlain) {  // up to the stop, or to a sequence cut off at the block's end
        cursor += length;
        if (block.stops != 0) break;
        continue;
      }
    }
    do {
      size_t length = base::Utf8Validator::sequenceLength(cursor, end);
      if (length == 0) {
        c_ = cursor;
        return false;
      }
      cursor += length;
    } while (static_cast<unsigned char>(*cursor) >= 0x80);
  }
  c_ = cursor;
  return true;
}

inline std::string_view JsonReader::scanRestOfString(Error* error) {
  constexpr std::string_view kFailed;
  const char* run = c_;
  if (!skipRun()) {
    failMalformedUtf8(error);
    return kFailed;
  }
  if (*c_ == '"') {  // the common case: no escapes, nothing copied
    return std::string_view(run, static_cast<size_t>(c_++ - run));
  }
  return scanRestOfEscapedString(run, error);
}

std::string_view JsonReader::scanRestOfEscapedString(const char* run, Error* error) {
  constexpr std::string_view kFailed;
  // Escapes: the pieces gather in the string buffer, which keeps its room from string to string.
  DecodedText text(scratch_->stringBuffer);
  text.appendRun(run, c_, end_);
  for (;;) {
    char stop = *c_;
    if (stop == '"') {
      ++c_;
      return text.view();
    }
    if (stop != '\\') {
      fail(error, kControlCharacter,
           withHexCode("Unescaped control character ", static_cast<unsigned char>(stop)));
      return kFailed;
    }
    ++c_;
    if (!scanEscape(text, error)) return kFailed;
    if (*c_ == '\0') {
      fail(error, kUnexpectedEnd, "Unexpected EOF while parsing string");
      return kFailed;
    }

    run = c_;
    if (!skipRun()) {
      failMalformedUtf8(error);
      return kFailed;
    }
    text.appendRun(run, c_, end_);
  }
}

bool JsonReader::failMalformedUtf8(Error* error) {
  malformedUtf8_ = true;
  return fail(error, kNoInput, "Input was 'nil'");
}

bool JsonReader::scanEscape(DecodedText& text, Error* error) {
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

bool JsonReader::scanUnicodeChar(uint32_t& character, Error* error) {
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

bool JsonReader::scanHexQuad(uint32_t& unit, Error* error) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i, ++c_) {
    uint8_t nibble = kHexDigitValues[static_cast<unsigned char>(*c_)];
    if (nibble > 0xF) return fail(error, kBadUnicodeEscape, "Missing hex digit in quad");
    value = value << 4 | nibble;
  }
  unit = value;
  return true;
}

JsonReader::JsonReader(uint32_t maxDepth)
    : depthLimit_(maxDepth == 0 ? kNestingSafetyLimit : std::min(maxDepth, kNestingSafetyLimit)) {}

bool JsonReader::failNestedTooDeep(Error* error) {
  return fail(error, kNestedTooDeep, "Nested too deep");
}

// Containers are read without recursion, so that no nesting the limits allow can exhaust the
// stack, whatever the build: each open container is a frame, and reading alternates between
// scanning one value (a scalar, or the opening of a container) and continuing the innermost open
// container up to where it needs its next value or closes.
bool JsonReader::scanDocument(Error* error) {
  std::vector<Frame>& frames = scratch_->frames;
  skipWhiteSpace();
  for (;;) {
    if (!scanValue(error)) return failInside(frames.size(), error);
    for (;;) {
      if (frames.empty()) return true;
      Continuation next =
          frames.back().isObject ? scanRestOfDictionary(error) : scanRestOfArray(error);
      if (next == Continuation::kFailed) return failInside(frames.size() - 1, error);
      if (next == Continuation::kNeedsValue) break;
    }
  }
}

// A value that failed to scan fails each of the `count` outer containers in turn, each adding
// its link to the chain of errors.
bool JsonReader::failInside(size_t count, Error* error) {
  const std::vector<Frame>& frames = scratch_->frames;
  for (size_t i = count; i-- > 0;) {
    if (frames[i].isObject) {
      failChained(error, kMalformedStructure,
                  "Object value expected for key: " +
                      std::string(*scratch_->values.at(frames[i].key)->asString()));
    } else {
      failChained(error, kMalformedStructure, "Expected value while parsing array");
    }
  }
  return false;
}

inline bool JsonReader::openContainer(bool isObject, Error* error) {
  if (++depth_ > depthLimit_) return failNestedTooDeep(error);
  Frame frame;
  frame.isObject = isObject;
  frame.bottom = scratch_->values.size();
  scratch_->frames.push_back(frame);
  return true;
}

inline JsonReader::Continuation JsonReader::passSeparator(Frame& frame, char closer,
                                                          const char* trailingComma,
                                                          const char* endOfInput, Error* error) {
  if (frame.hasValue) {
    frame.hasValue = false;
    skipWhiteSpace();
    if (*c_ == ',') {
      ++c_;
      skipWhiteSpace();
      if (*c_ == closer) return failed(error, kTrailingComma, trailingComma);
      if (*c_ == '\0') return failed(error, kUnexpectedEnd, endOfInput);
      return Continuation::kNeedsValue;
    }
    if (*c_ == '\0') return failed(error, kUnexpectedEnd, endOfInput);
  } else {
    if (*c_ == '\0') return failed(error, kUnexpectedEnd, endOfInput);
    skipWhiteSpace();
  }
  if (*c_ != closer) return Continuation::kNeedsValue;
  ++c_;
  --depth_;
  return Continuation::kClosed;
}

// After a member's value: an optional comma, but none before the closing brace.
inline JsonReader::Continuation JsonReader::scanRestOfDictionary(Error* error) {
  Frame& frame = scratch_->frames.back();
  Continuation next = passSeparator(frame, '}', "Trailing comma disallowed in object",
                                    "End of input while parsing object", error);
  if (next == Continuation::kFailed) return next;
  if (next == Continuation::kClosed) {
    pushDictionary(frame.bottom);
    scratch_->frames.pop_back();
    return next;
  }

  if (*c_ != '"') {
    failChained(error, kMalformedStructure, "Object key string expected");
    return Continuation::kFailed;
  }
  ++c_;
  std::string_view key = scanRestOfString(error);
  if (!key.data()) {
    failChained(error, kMalformedStructure, "Object key string expected");
    return Continuation::kFailed;
  }
  frame.key = scratch_->values.size();
  scratch_->values.emplace_back(key);
  skipWhiteSpace();
  if (*c_ != ':')
    return failed(error, kMalformedStructure, "Expected ':' separating key and value");
  ++c_;
  skipWhiteSpace();
  frame.hasValue = true;
  return Continuation::kNeedsValue;
}

void JsonReader::pushDictionary(size_t bottom) {
  ReadingStack& values = scratch_->values;
  base::Dictionary members =
      base::Dictionary::movedFrom(values.at(bottom), (values.size() - bottom) / 2);
  values.forgetFrom(bottom);
  values.emplace_back(std::move(members));
}

// After an element: an optional comma, but none before the closing bracket.
inline JsonReader::Continuation JsonReader::scanRestOfArray(Error* error) {
  Frame& frame = scratch_->frames.back();
  Continuation next = passSeparator(frame, ']', "Trailing comma disallowed in array",
                                    "End of input while parsing array", error);
  if (next == Continuation::kFailed) return next;
  if (next == Continuation::kClosed) {
    pushArray(frame.bottom);
    scratch_->frames.pop_back();
    return next;
  }
  frame.hasValue = true;
  return next;
}

JsonReader::Continuation JsonReader::failed(Error* error, int64_t code, const char* message) {
  fail(error, code, message);
  return Continuation::kFailed;
}

void JsonReader::pushArray(size_t bottom) {
  // A root array's elements are moved like any other's. Handing the stack's block to the root
  // instead, and making a new stack, put the stack elsewhere in the C library's heap, which then
  // gave its top back to the system after every later reading: the next one faulted its pages in
  // again, at twice the time.
  ReadingStack& values = scratch_->values;
  base::Array array = base::Array::movedFrom(values.at(bottom), values.size() - bottom);
  values.forgetFrom(bottom);
  values.emplace_back(std::move(array));
}

}  // namespace veskjson
