#include "json/TAD_VeskJSON.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Utf8Validator.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

const char TAD_VeskJSONErrorDomain[] = "com.quillbeck.tad.VeskJSON";

namespace {

using base::Error;
using base::Value;
using enum TAD_VeskJSON::ErrorCode;
constexpr uint32_t kNestingSafetyLimit = TAD_VeskJSON::kNestingSafetyLimit;

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

// Eight bytes at a time: a mark is the high bit of a byte (in memory order, little-endian). The
// lowest mark of each function below is always right; marks above it may be wrong, as a borrow
// can run on past the first match, so callers look at the lowest mark only.
constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

uint64_t zeroByteMarks(uint64_t word) {
  return (word - kOnes) & ~word & kHighBits;
}

// Bytes below 0x20, the quotation mark and the backslash: what a written string escapes, and
// (with NUL) the stops of a run of plain characters in a read one.
uint64_t escapeMarks(uint64_t word) {
  uint64_t controls = (word - kOnes * 0x20) & ~word & kHighBits;
  return controls | zeroByteMarks(word ^ (kOnes * '"')) | zeroByteMarks(word ^ (kOnes * '\\'));
}

uint64_t runStopMarks(uint64_t word) {
  return escapeMarks(word) | (word & kHighBits);  // non-ASCII bytes are checked as UTF-8
}

uint64_t load8(const char* bytes) {
  static_assert(std::endian::native == std::endian::little, "marks are read in memory order");
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// runStopMarks() over sixteen bytes, one bit a byte. With SSE2 (every x86-64 processor) a signed
// comparison with 0x20 finds the control bytes and the non-ASCII ones at once.
uint32_t runStopMarks16(const char* bytes) {
#if defined(__SSE2__)
  __m128i word = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  __m128i stops = _mm_or_si128(_mm_cmplt_epi8(word, _mm_set1_epi8(0x20)),
                               _mm_or_si128(_mm_cmpeq_epi8(word, _mm_set1_epi8('"')),
                                            _mm_cmpeq_epi8(word, _mm_set1_epi8('\\'))));
  return static_cast<uint32_t>(_mm_movemask_epi8(stops));
#else
  uint64_t low = runStopMarks(load8(bytes));
  if (low != 0) return uint32_t{1} << (std::countr_zero(low) / 8);
  uint64_t high = runStopMarks(load8(bytes + 8));
  return high == 0 ? 0 : uint32_t{1} << (8 + std::countr_zero(high) / 8);
#endif
}

// Sixteen bytes of string text, one bit a byte for each class that a run's scan looks at.
struct TextBlock {
  uint32_t stops;         // bytes of ctrl (the terminating NUL among them)
  uint32_t nonAscii;      // bytes from 0x80 up
  uint32_t leadsOfTwo;    // 0xC2..0xDF
  uint32_t leadsOfThree;  // 0xE0..0xEF
  uint32_t leadsOfFour;   // 0xF0..0xF4
  uint32_t follows;       // continuation bytes, 0x80..0xBF
  uint32_t follows8;      // 0x80..0x8F
  uint32_t follows9;      // 0x80..0x9F
  // Leads whose second byte is bounded: the overlong forms start 0xE0 0x80..0x9F and 0xF0
  // 0x80..0x8F, the surrogates 0xED 0xA0..0xBF, and 0xF4 0x90..0xBF lies beyond U+10FFFF.
  uint32_t e0;
  uint32_t ed;
  uint32_t f0;
  uint32_t f4;
};

// With SSE2 (every x86-64 processor) each class is a comparison or two over the whole block.
TextBlock classify16(const char* bytes) {
#if defined(__SSE2__)
  __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  auto marks = [](__m128i bits) { return static_cast<uint32_t>(_mm_movemask_epi8(bits)); };
  auto equal = [&block](__m128i mask, int value) {
    return _mm_cmpeq_epi8(_mm_and_si128(block, mask), _mm_set1_epi8(static_cast<char>(value)));
  };
  __m128i controls = _mm_andnot_si128(_mm_cmplt_epi8(block, _mm_setzero_si128()),
                                      _mm_cmplt_epi8(block, _mm_set1_epi8(0x20)));
  __m128i quoteOrBackslash = _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('"')),
                                          _mm_cmpeq_epi8(block, _mm_set1_epi8('\\')));
  // 0xC0 and 0xC1 would only start overlong forms.
  __m128i notOverlong = _mm_cmpgt_epi8(block, _mm_set1_epi8(static_cast<char>(0xC1)));
  // 0xF5 and above would go beyond U+10FFFF.
  __m128i belowF5 = _mm_cmplt_epi8(block, _mm_set1_epi8(static_cast<char>(0xF5)));
  __m128i topThree = _mm_set1_epi8(static_cast<char>(0xE0));
  __m128i topFour = _mm_set1_epi8(static_cast<char>(0xF0));
  auto byte = [&block, &marks](int value) {
    return marks(_mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(value))));
  };
  return TextBlock{.stops = marks(_mm_or_si128(controls, quoteOrBackslash)),
                   .nonAscii = marks(block),
                   .leadsOfTwo = marks(_mm_and_si128(equal(topThree, 0xC0), notOverlong)),
                   .leadsOfThree = marks(equal(topFour, 0xE0)),
                   .leadsOfFour = marks(
                       _mm_and_si128(equal(_mm_set1_epi8(static_cast<char>(0xF8)), 0xF0), belowF5)),
                   .follows = marks(equal(_mm_set1_epi8(static_cast<char>(0xC0)), 0x80)),
                   .follows8 = marks(equal(topFour, 0x80)),
                   .follows9 = marks(equal(topThree, 0x80)),
                   .e0 = byte(0xE0),
                   .ed = byte(0xED),
                   .f0 = byte(0xF0),
                   .f4 = byte(0xF4)};
#else
  TextBlock block{};
  for (uint32_t i = 0; i < 16; ++i) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    uint32_t bit = uint32_t{1} << i;
    if (byte < 0x80 && kRunStops[byte]) block.stops |= bit;
    if (byte >= 0x80) block.nonAscii |= bit;
    if (byte >= 0xC2 && byte <= 0xDF) block.leadsOfTwo |= bit;
    if ((byte & 0xF0) == 0xE0) block.leadsOfThree |= bit;
    if (byte >= 0xF0 && byte <= 0xF4) block.leadsOfFour |= bit;
    if ((byte & 0xC0) == 0x80) block.follows |= bit;
    if ((byte & 0xF0) == 0x80) block.follows8 |= bit;
    if ((byte & 0xE0) == 0x80) block.follows9 |= bit;
    if (byte == 0xE0) block.e0 |= bit;
    if (byte == 0xED) block.ed |= bit;
    if (byte == 0xF0) block.f0 |= bit;
    if (byte == 0xF4) block.f4 |= bit;
  }
  return block;
#endif
}

// How many bytes of the block a run takes in one step when its non-ASCII text before the first
// stop is all well-formed UTF-8: up to the stop, or up to a sequence that the block cuts off,
// which the next step takes whole. kNotPlain when the block holds anything else before its stop,
// which is then checked sequence by sequence and refused where it is malformed.
constexpr uint32_t kNotPlain = 32;
uint32_t plainLength(const TextBlock& block) {
  uint32_t length = block.stops == 0 ? 16 : static_cast<uint32_t>(std::countr_zero(block.stops));
  uint32_t before = (uint32_t{1} << length) - 1;
  uint32_t leads = block.leadsOfTwo | block.leadsOfThree | block.leadsOfFour;
  if ((block.nonAscii & ~(leads | block.follows) & before) != 0) return kNotPlain;
  // Every continuation belongs to the lead one to three bytes before it, and every lead has all of
  // its own: a lead where a continuation is owed shows as a difference. At a stop, the stop's own
  // place counts, so a sequence cut off by it does not pass.
  uint32_t places = length == 16 ? 0xFFFF : (before << 1) | 1;
  uint32_t longer = block.leadsOfThree | block.leadsOfFour;
  uint32_t owed = leads << 1 | longer << 2 | block.leadsOfFour << 3;
  if ((block.follows & places) != (owed & places)) return kNotPlain;
  uint32_t highSeconds = block.follows & ~block.follows9;
  uint32_t badSeconds = (block.e0 << 1 & block.follows9) | (block.ed << 1 & highSeconds) |
                        (block.f0 << 1 & block.follows8) |
                        (block.f4 << 1 & block.follows & ~block.follows8);
  if ((badSeconds & places) != 0) return kNotPlain;
  if (length < 16) return length;
  uint32_t cutOff =
      (block.leadsOfTwo & 0x8000) | (block.leadsOfThree & 0xC000) | (block.leadsOfFour & 0xE000);
  return cutOff == 0 ? 16 : static_cast<uint32_t>(std::countr_zero(cutOff));
}

// The first byte of [cursor, end) that a written string must escape, or end.
const char* firstToEscape(const char* cursor, const char* end) {
  for (; end - cursor >= 8; cursor += 8) {
    uint64_t marks = escapeMarks(load8(cursor));
    if (marks != 0) return cursor + std::countr_zero(marks) / 8;
  }
  while (cursor != end && !kEscapeChars[static_cast<unsigned char>(*cursor)])
    ++cursor;
  return cursor;
}

uint64_t load4(const char* bytes) {
  uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// Whether any byte of the text is one that a written string must escape. Reads only the text's
// own bytes, in words that may overlap, so that short texts such as keys take no byte loop. (A
// word has a mark exactly when one of its bytes must be escaped: marks that are wrong only ever
// follow a right one.)
bool needsEscaping(std::string_view text) {
  const char* bytes = text.data();
  size_t size = text.size();
  if (size >= 8) {
    for (size_t at = 0; at + 8 <= size; at += 8) {
      if (escapeMarks(load8(bytes + at)) != 0) return true;
    }
    return escapeMarks(load8(bytes + size - 8)) != 0;
  }
  if (size >= 4) return escapeMarks(load4(bytes) | load4(bytes + size - 4) << 32) != 0;
  for (char byte : text) {
    if (kEscapeChars[static_cast<unsigned char>(byte)]) return true;
  }
  return false;
}

// A decimal is kept only if its standard text reads back: the reader's decimal type refuses
// scientific exponents from 2^31 on, which digits and exponent together can otherwise reach.
bool hasReadableExponent(const base::Decimal& decimal) {
  constexpr int64_t kLimit = int64_t{1} << 31;
  int64_t scientific = static_cast<int64_t>(decimal.digitCount()) + decimal.exponent() - 1;
  return scientific > -kLimit && scientific < kLimit;
}

// One writing: the options it was given and the containers it is inside. Containers are written
// without recursion, so that how deep a value may nest does not depend on the stack of the build.
class JsonWriter {
 public:
  JsonWriter(bool humanReadable, bool sortKeys)
      : humanReadable_(humanReadable), sortKeys_(sortKeys) {}

  bool write(const Value& root, std::string& out, Error* error);

 private:
  // An open container: an array, or an object whose members are written in their order or, when
  // keys are sorted, in the order of sorted_ from sortedStart on.
  struct Frame {
    const Value* elements = nullptr;                   // of an array
    const base::Dictionary::Entry* members = nullptr;  // of an object
    size_t size = 0;
    size_t next = 0;
    size_t sortedStart = 0;
    bool isObject = false;
  };

  // Writes a scalar, or opens a container.
  bool begin(const Value& value, std::string& out, Error* error);
  bool open(const base::Array* array, const base::Dictionary* dictionary, Error* error);
  // The innermost container's next value, after its separator and key.
  const Value& nextOf(Frame& frame, std::string& out);
  void close(std::string& out);
  const base::Dictionary::Entry& member(const Frame& frame, size_t at) const;
  bool failInside(Error* error) const;
  void sortMembers(const base::Dictionary& dictionary);
  static void appendString(std::string_view text, std::string& out);
  static void appendEscaped(unsigned char byte, std::string& out);
  static bool appendNumber(const Value& number, std::string& out, Error* error);
  void appendIndent(std::string& out) const;

  const bool humanReadable_;
  const bool sortKeys_;
  std::vector<Frame> frames_;                           // innermost last
  std::vector<const base::Dictionary::Entry*> sorted_;  // the open objects' members, sorted
};

// One reading: where it is in the text and the open containers.
class JsonReader {
 public:
  explicit JsonReader(uint32_t maxDepth) : maxDepth_(maxDepth) {}

  std::optional<Value> read(const char* text, size_t length, bool allowScalar, Error* error);
  // After a reading: how far into the text it got.
  size_t offset() const { return static_cast<size_t>(c_ - text_); }

 private:
  // An open container while reading.
  struct Frame {
    bool isObject = false;
    bool hasValue = false;  // a member or element has just been read
    size_t keysBottom = 0;
    size_t valuesBottom = 0;
    size_t key = 0;  // the current member's key
  };
  enum class Continuation { kFailed, kNeedsValue, kClosed };
  struct Scratch;
  class ScratchLease;

  bool scanDocument(Error* error);
  // Pushes a scalar on the reading stack, or opens a container.
  bool scanValue(Error* error);
  bool openContainer(bool isObject, Error* error);
  Continuation continueDictionary(Error* error);
  Continuation continueArray(Error* error);
  // Past the separator after an element (a comma, but none right before closer) and past closer
  // when it ends the container: kClosed then, kNeedsValue when another element may follow.
  [[gnu::always_inline]] Continuation passSeparator(Frame& frame, char closer,
                                                    const char* trailingComma,
                                                    const char* endOfInput, Error* error);
  static Continuation failed(Error* error, int64_t code, const char* message);
  bool failInside(size_t count, Error* error);
  void pushDictionary(size_t keysBottom, size_t valuesBottom);
  void pushArray(size_t bottom);
  // The string's text is left in the input when it holds no escapes, else in the string buffer
  // until the next string is read. A failure returns a view without data. Inline, as every key
  // and string passes here; a string with escapes goes on out of line from where its first run,
  // starting at run, stopped.
  [[gnu::always_inline]] std::string_view scanRestOfString(Error* error);
  std::string_view scanRestOfEscapedString(const char* run, Error* error);
  [[gnu::always_inline]] bool skipRun();
  bool failMalformedUtf8(Error* error);
  bool scanEscape(DecodedText& text, Error* error);
  bool scanRestOfNull(Error* error);
  bool scanRestOfTrue(Error* error);
  bool scanRestOfFalse(Error* error);
  bool scanNumber(Error* error);
  bool scanUnicodeChar(uint32_t& character, Error* error);
  bool scanHexQuad(uint32_t& unit, Error* error);
  bool scanIsAtEnd();
  bool enterReadContainer(Error* error);
  void skipWhiteSpace();

  const uint32_t maxDepth_;
  uint32_t depth_ = 0;
  const char* text_ = nullptr;
  const char* c_ = nullptr;
  const char* end_ = nullptr;  // where the text's terminating NUL is
  bool malformedUtf8_ = false;
  Scratch* scratch_ = nullptr;  // the thread's reading buffers, during a reading
};

// How many values the reading stack keeps room for between readings (a mebibyte's worth).
constexpr size_t kKeptValues = (size_t{1} << 20) / sizeof(Value);

}  // namespace

// Buffers that the readings of one thread share, so that reading small texts, the library's
// everyday case, allocates only what it returns. What a reading leaves is cleared when it ends;
// buffers grown large by a large text are given back. The value stack is kept up to a mebibyte:
// growing it again for every large text (each step moving all values so far into fresh pages)
// took about a third of the reading of a 1 MB document of many small records.
// Every value read is pushed on `values`; a container, when it closes, takes its elements (and an
// object its keys from `keys`) off the top and is pushed in their place. Values are so moved
// once into their container, which is made with exactly their number.
struct JsonReader::Scratch {
  std::string stringBuffer;
  std::vector<Value> values;
  std::vector<std::string_view> keys;  // in the input, or in keyCopies when they had escapes
  std::deque<std::string> keyCopies;
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
    scratch.values.clear();
    scratch.keys.clear();
    scratch.keyCopies.clear();
    scratch.frames.clear();
    if (scratch.values.capacity() > kKeptValues) scratch.values.shrink_to_fit();
    if (scratch.keys.capacity() > kKeptKeys) scratch.keys.shrink_to_fit();
    if (scratch.stringBuffer.capacity() > kKeptStringBytes) {
      scratch.stringBuffer.clear();
      scratch.stringBuffer.shrink_to_fit();
    }
    holder_ = nullptr;
  }
  ScratchLease(const ScratchLease&) = delete;
  ScratchLease& operator=(const ScratchLease&) = delete;

 private:
  static constexpr size_t kKeptKeys = 1024;
  static constexpr size_t kKeptStringBytes = 64 * 1024;
  Scratch*& holder_;
};

// Writing

std::optional<std::string> TAD_VeskJSON::stringWithObject(const Value& value, Error* error) {
  return stringWithObject(value, false, error);
}

std::optional<std::string> TAD_VeskJSON::stringWithFragment(const Value& value, Error* error) {
  return stringWithObject(value, true, error);
}

std::optional<std::string> TAD_VeskJSON::stringWithObject(const Value& value, bool allowScalar,
                                                          Error* error) {
  std::string out;
  out.reserve(128);
  if (!allowScalar && !value.isDictionary() && !value.isArray()) {
    fail(error, kNotAContainer, "Not valid type for JSON");
    return std::nullopt;
  }
  Error local;
  if (!JsonWriter(humanReadable_, sortKeys_).write(value, out, &local)) {
    if (error) *error = std::move(local);
    return std::nullopt;
  }
  return out;
}

bool JsonWriter::write(const Value& root, std::string& out, Error* error) {
  if (!begin(root, out, error)) return failInside(error);
  while (!frames_.empty()) {
    Frame& frame = frames_.back();
    if (frame.next == frame.size) {
      close(out);
    } else if (!begin(nextOf(frame, out), out, error)) {
      return failInside(error);
    }
  }
  return true;
}

bool JsonWriter::begin(const Value& value, std::string& out, Error* error) {
  switch (value.kind()) {
    case Value::Kind::Dictionary:
      out += '{';
      return open(nullptr, value.asDictionary(), error);
    case Value::Kind::Array:
      out += '[';
      return open(value.asArray(), nullptr, error);
    case Value::Kind::String:
      appendString(*value.asString(), out);
      return true;
    case Value::Kind::Boolean:
      if (*value.asBoolean()) {
        out.append("true", 4);
      } else {
        out.append("false", 5);
      }
      return true;
    case Value::Kind::Integer:
    case Value::Kind::Double:
    case Value::Kind::Decimal:
      return appendNumber(value, out, error);
    case Value::Kind::Null:
      out.append("null", 4);
      return true;
    case Value::Kind::Date:
    case Value::Kind::Data:
      appendString(value.description(), out);
      return true;
  }
  // Every kind is handled above; one added to base::Value later is refused until it is.
  return fail(error, kUnsupportedValue, "JSON serialisation not supported for unknown value");
}

bool JsonWriter::open(const base::Array* array, const base::Dictionary* dictionary, Error* error) {
  if (frames_.size() >= kNestingSafetyLimit) return fail(error, kNestedTooDeep, "Nested too deep");
  Frame& frame = frames_.emplace_back();
  frame.sortedStart = sorted_.size();
  if (array) {
    frame.elements = array->data();
    frame.size = array->size();
  } else {
    frame.isObject = true;
    frame.members = dictionary->empty() ? nullptr : &*dictionary->begin();
    frame.size = dictionary->size();
    if (sortKeys_) sortMembers(*dictionary);
  }
  return true;
}

inline const base::Dictionary::Entry& JsonWriter::member(const Frame& frame, size_t at) const {
  return sortKeys_ ? *sorted_[frame.sortedStart + at] : frame.members[at];
}

inline const Value& JsonWriter::nextOf(Frame& frame, std::string& out) {
  if (frame.next > 0) out += ',';
  if (humanReadable_) appendIndent(out);
  size_t at = frame.next++;
  if (!frame.isObject) return frame.elements[at];
  const base::Dictionary::Entry& entry = member(frame, at);
  appendString(entry.first, out);
  if (humanReadable_) {
    out.append(" : ", 3);
  } else {
    out += ':';
  }
  return entry.second;
}

void JsonWriter::close(std::string& out) {
  const Frame& frame = frames_.back();
  bool isObject = frame.isObject;
  bool empty = frame.size == 0;
  sorted_.resize(frame.sortedStart);
  frames_.pop_back();
  if (humanReadable_ && !empty) appendIndent(out);
  out += isObject ? '}' : ']';
}

// A value that failed to write: an object around it replaces the error with its own, naming the
// member of the outermost object that holds the value; arrays pass the error on as it is.
bool JsonWriter::failInside(Error* error) const {
  for (const Frame& frame : frames_) {
    if (!frame.isObject) continue;
    // Its member being written is the last one begun.
    const std::string& key = member(frame, frame.next - 1).first;
    return fail(error, kUnsupportedValue, "Unsupported value for key " + key + " in object");
  }
  return false;
}

void JsonWriter::sortMembers(const base::Dictionary& dictionary) {
  auto first = static_cast<std::ptrdiff_t>(sorted_.size());
  for (const base::Dictionary::Entry& entry : dictionary)
    sorted_.push_back(&entry);
  std::sort(sorted_.begin() + first, sorted_.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
}

bool JsonWriter::appendNumber(const Value& number, std::string& out, Error* error) {
  if (number.kind() == Value::Kind::Integer) {
    char text[24];
    auto result = std::to_chars(text, text + sizeof text, number.toInt64());
    out.append(text, static_cast<size_t>(result.ptr - text));
    return true;
  }
  if (number.kind() == Value::Kind::Decimal) {
    number.asDecimal()->appendTo(out);
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

void JsonWriter::appendString(std::string_view text, std::string& out) {
  out += '"';
  if (!needsEscaping(text)) {  // most texts, keys above all
    out.append(text);
    out += '"';
    return;
  }
  const char* run = text.data();
  const char* end = run + text.size();
  for (const char* cursor = firstToEscape(run, end); cursor != end;
       cursor = firstToEscape(run, end)) {
    out.append(run, static_cast<size_t>(cursor - run));
    appendEscaped(static_cast<unsigned char>(*cursor), out);
    run = cursor + 1;
  }
  out.append(run, static_cast<size_t>(end - run));
  out += '"';
}

void JsonWriter::appendEscaped(unsigned char byte, std::string& out) {
  switch (byte) {
    case '\b':
      out.append("\\b", 2);
      return;
    case '\t':
      out.append("\\t", 2);
      return;
    case '\n':
      out.append("\\n", 2);
      return;
    case '\f':
      out.append("\\f", 2);
      return;
    case '\r':
      out.append("\\r", 2);
      return;
    case '"':
      out.append("\\\"", 2);
      return;
    case '\\':
      out.append("\\\\", 2);
      return;
    default: {
      static constexpr char kHex[] = "0123456789abcdef";
      char escape[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
      out.append(escape, sizeof escape);
    }
  }
}

void JsonWriter::appendIndent(std::string& out) const {
  out += '\n';
  out.append(2 * frames_.size(), ' ');
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
  return JsonReader(maxDepth_).read(text, text ? std::strlen(text) : 0, allowScalar, error);
}

std::optional<Value> TAD_VeskJSON::objectWithString(const std::string& text, bool allowScalar,
                                                    Error* error) {
  return JsonReader(maxDepth_).read(text.c_str(), text.size(), allowScalar, error);
}

std::optional<Value> TAD_VeskJSON::objectWithString(const std::string& text, bool allowScalar,
                                                    Error* error, size_t* failureOffset) {
  JsonReader reader(maxDepth_);
  std::optional<Value> value = reader.read(text.c_str(), text.size(), allowScalar, error);
  if (!value && failureOffset) *failureOffset = reader.offset();
  return value;
}

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

void JsonReader::skipWhiteSpace() {
  while (kWhiteSpace[static_cast<unsigned char>(*c_)])
    ++c_;
}

bool JsonReader::scanIsAtEnd() {
  skipWhiteSpace();
  return *c_ == '\0';
}

bool JsonReader::scanValue(Error* error) {
  skipWhiteSpace();
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

bool JsonReader::scanRestOfNull(Error* error) {
  if (c_[0] != 'u' || c_[1] != 'l' || c_[2] != 'l') {
    return fail(error, kMalformedStructure, "Expected 'null'");
  }
  c_ += 3;
  scratch_->values.emplace_back();
  return true;
}

bool JsonReader::scanRestOfTrue(Error* error) {
  if (c_[0] != 'r' || c_[1] != 'u' || c_[2] != 'e') {
    return fail(error, kMalformedStructure, "Expected 'true'");
  }
  c_ += 3;
  scratch_->values.emplace_back(true);
  return true;
}

bool JsonReader::scanRestOfFalse(Error* error) {
  if (c_[0] != 'a' || c_[1] != 'l' || c_[2] != 's' || c_[3] != 'e') {
    return fail(error, kMalformedStructure, "Expected 'false'");
  }
  c_ += 4;
  scratch_->values.emplace_back(false);
  return true;
}

bool JsonReader::scanNumber(Error* error) {
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
    scratch_->values.emplace_back(negative ? static_cast<int64_t>(uint64_t{0} - magnitude)
                                           : static_cast<int64_t>(magnitude));
    return true;
  }
  std::optional<base::Decimal> decimal =
      base::Decimal::fromString(std::string_view(start, static_cast<size_t>(c_ - start)));
  if (!decimal || !hasReadableExponent(*decimal)) {
    return fail(error, kMalformedNumber, "Failed creating decimal instance");
  }
  scratch_->values.emplace_back(std::move(*decimal));
  return true;
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

bool JsonReader::enterReadContainer(Error* error) {
  ++depth_;
  uint32_t limit = maxDepth_ == 0 ? kNestingSafetyLimit : std::min(maxDepth_, kNestingSafetyLimit);
  if (depth_ <= limit) return true;
  return fail(error, kNestedTooDeep, "Nested too deep");
}

// Containers are read without recursion, so that no nesting the limits allow can exhaust the
// stack, whatever the build: each open container is a frame, and reading alternates between
// scanning one value (a scalar, or the opening of a container) and continuing the innermost open
// container up to where it needs its next value or closes.
bool JsonReader::scanDocument(Error* error) {
  std::vector<Frame>& frames = scratch_->frames;
  for (;;) {
    if (!scanValue(error)) return failInside(frames.size(), error);
    for (;;) {
      if (frames.empty()) return true;
      Continuation next = frames.back().isObject ? continueDictionary(error) : continueArray(error);
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
                  "Object value expected for key: " + std::string(scratch_->keys[frames[i].key]));
    } else {
      failChained(error, kMalformedStructure, "Expected value while parsing array");
    }
  }
  return false;
}

bool JsonReader::openContainer(bool isObject, Error* error) {
  if (!enterReadContainer(error)) return false;
  Frame frame;
  frame.isObject = isObject;
  frame.keysBottom = scratch_->keys.size();
  frame.valuesBottom = scratch_->values.size();
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
    }
  }
  if (*c_ == '\0') return failed(error, kUnexpectedEnd, endOfInput);
  skipWhiteSpace();
  if (*c_ != closer) return Continuation::kNeedsValue;
  ++c_;
  --depth_;
  return Continuation::kClosed;
}

// After a member's value: an optional comma, but none before the closing brace.
JsonReader::Continuation JsonReader::continueDictionary(Error* error) {
  Frame& frame = scratch_->frames.back();
  Continuation next = passSeparator(frame, '}', "Trailing comma disallowed in object",
                                    "End of input while parsing object", error);
  if (next == Continuation::kFailed) return next;
  if (next == Continuation::kClosed) {
    pushDictionary(frame.keysBottom, frame.valuesBottom);
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
  if (key.data() == scratch_->stringBuffer.data()) key = scratch_->keyCopies.emplace_back(key);
  frame.key = scratch_->keys.size();
  scratch_->keys.emplace_back(key.data(), key.size());  // not a copy of key: see scanRestOfString
  skipWhiteSpace();
  if (*c_ != ':')
    return failed(error, kMalformedStructure, "Expected ':' separating key and value");
  ++c_;
  frame.hasValue = true;
  return Continuation::kNeedsValue;
}

void JsonReader::pushDictionary(size_t keysBottom, size_t valuesBottom) {
  std::vector<std::string_view>& keys = scratch_->keys;
  std::vector<Value>& values = scratch_->values;
  std::vector<base::Dictionary::Entry> members;
  members.reserve(keys.size() - keysBottom);
  for (size_t i = keysBottom, j = valuesBottom; i < keys.size(); ++i, ++j) {
    members.emplace_back(keys[i], std::move(values[j]));
  }
  keys.resize(keysBottom);
  values.resize(valuesBottom);
  values.emplace_back(base::Dictionary(std::move(members)));
}

// After an element: an optional comma, but none before the closing bracket.
JsonReader::Continuation JsonReader::continueArray(Error* error) {
  Frame& frame = scratch_->frames.back();
  Continuation next = passSeparator(frame, ']', "Trailing comma disallowed in array",
                                    "End of input while parsing array", error);
  if (next == Continuation::kFailed) return next;
  if (next == Continuation::kClosed) {
    pushArray(frame.valuesBottom);
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
  std::vector<Value>& values = scratch_->values;
  // A root array holds the whole stack: unless that would leave much room unused, the stack
  // itself becomes the array, its elements not moved, and the stack starts again with as much room.
  bool isRoot = bottom == 0 && scratch_->frames.size() == 1;
  if (isRoot && values.size() >= values.capacity() / 2) {
    size_t room = std::min(values.capacity(), kKeptValues);
    base::Array array = std::move(values);
    values = std::vector<Value>();
    values.reserve(room);
    values.emplace_back(std::move(array));
    return;
  }
  auto first = values.begin() + static_cast<std::ptrdiff_t>(bottom);
  base::Array array(std::make_move_iterator(first), std::make_move_iterator(values.end()));
  values.resize(bottom);
  values.emplace_back(std::move(array));
}
