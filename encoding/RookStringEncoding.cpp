#include "encoding/RookStringEncoding.h"

#include <bit>
#include <cstring>
#include <numeric>

#include "encoding/RookAssertion.h"
#include "encoding/RookUTF8.h"

namespace {

constexpr std::string_view kBase32Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
constexpr std::string_view kBase32HexAlphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
constexpr std::string_view kCrockfordAlphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr std::string_view kCrockfordSynonyms =
    "0oO1iIlLAaBbCcDdEeFfGgHhJjKkMmNnPpQqRrSsTtVvWwXxYyZz";
constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view kBase64WebsafeAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

bool isASCII(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 128) return false;
  }
  return true;
}

std::shared_ptr<RookStringEncoding> makePadded(std::string_view alphabet) {
  auto encoding = RookStringEncoding::stringEncodingWithString(alphabet);
  encoding->setPaddingChar('=');
  encoding->setDoPad(true);
  return encoding;
}

}  // namespace

RookStringEncoding::RookStringEncoding(std::string_view alphabet) : charMapData_(alphabet) {
  reverseCharMap_.fill(kUnmapped);
  for (size_t value = 0; value < alphabet.size(); ++value) {
    reverseCharMap_[static_cast<unsigned char>(alphabet[value])] = static_cast<int8_t>(value);
  }
  shift_ = std::countr_zero(alphabet.size());
  mask_ = (1 << shift_) - 1;
  padLen_ = std::lcm(shift_, 8) / shift_;
  buildFastEncodeTable();
}

bool RookStringEncoding::isValidAlphabet(std::string_view alphabet) {
  if (!isASCII(alphabet)) return false;
  if (alphabet.size() < 2 || alphabet.size() > 128 || !std::has_single_bit(alphabet.size())) {
    return false;
  }
  std::array<bool, 128> seen{};
  for (char c : alphabet) {
    if (seen[static_cast<unsigned char>(c)]) return false;
    seen[static_cast<unsigned char>(c)] = true;
  }
  return true;
}

std::shared_ptr<RookStringEncoding> RookStringEncoding::stringEncodingWithString(
    std::string_view alphabet) {
  if (!isValidAlphabet(alphabet)) return nullptr;
  return std::shared_ptr<RookStringEncoding>(new RookStringEncoding(alphabet));
}

std::optional<RookStringEncoding> RookStringEncoding::initWithString(std::string_view alphabet) {
  if (!isValidAlphabet(alphabet)) return std::nullopt;
  return RookStringEncoding(alphabet);
}

std::shared_ptr<RookStringEncoding> RookStringEncoding::binaryStringEncoding() {
  return stringEncodingWithString("01");
}

std::shared_ptr<RookStringEncoding> RookStringEncoding::hexStringEncoding() {
  auto encoding = stringEncodingWithString("0123456789ABCDEF");
  encoding->addDecodeSynonyms("AaBbCcDdEeFf");
  return encoding;
}

std::shared_ptr<RookStringEncoding> RookStringEncoding::rfc4648Base32StringEncoding() {
  return makePadded(kBase32Alphabet);
}

std::shared_ptr<RookStringEncoding> RookStringEncoding::rfc4648Base32HexStringEncoding() {
  return makePadded(kBase32HexAlphabet);
}

std::shared_ptr<RookStringEncoding> RookStringEncoding::crockfordBase32StringEncoding() {
  auto encoding = stringEncodingWithString(kCrockfordAlphabet);
  encoding->addDecodeSynonyms(kCrockfordSynonyms);
  return encoding;
}

std::shared_ptr<RookStringEncoding> RookStringEncoding::rfc4648Base64StringEncoding() {
  return makePadded(kBase64Alphabet);
}

std::shared_ptr<RookStringEncoding> RookStringEncoding::rfc4648Base64WebsafeStringEncoding() {
  return makePadded(kBase64WebsafeAlphabet);
}

void RookStringEncoding::setPaddingChar(char paddingChar) {
  auto code = static_cast<unsigned char>(paddingChar);
  if (code >= 128) {
    RookReportAssertionFailure("Padding character is not ASCII");
    return;
  }
  // A data character that also meant padding would cut every text that holds it.
  if (reverseCharMap_[code] >= 0) {
    RookReportAssertionFailure("Character already mapped");
    return;
  }
  paddingChar_ = paddingChar;
  hasPaddingChar_ = true;
  reverseCharMap_[code] = kPadding;
}

void RookStringEncoding::addDecodeSynonyms(std::string_view synonyms) {
  if (!isASCII(synonyms)) {
    RookReportAssertionFailure("Synonyms are not ASCII");
    return;
  }
  int8_t current = kUnmapped;
  for (char c : synonyms) {
    int8_t& entry = reverseCharMap_[static_cast<unsigned char>(c)];
    if (entry != kUnmapped) {
      current = entry;
    } else {
      entry = current;
    }
  }
}

void RookStringEncoding::ignoreCharacters(std::string_view characters) {
  if (!isASCII(characters)) {
    RookReportAssertionFailure("Ignored characters are not ASCII");
    return;
  }
  for (char c : characters) {
    int8_t& entry = reverseCharMap_[static_cast<unsigned char>(c)];
    if (entry != kUnmapped) {
      RookReportAssertionFailure("Character already mapped");
      continue;
    }
    entry = kIgnored;
  }
}

// ---- Encoding ----

void RookStringEncoding::buildFastEncodeTable() {
  if (shift_ != 6 && shift_ != 4) return;
  const size_t groupBits = shift_ * 2;
  pairTable_.resize(size_t{1} << groupBits);
  for (size_t group = 0; group < pairTable_.size(); ++group) {
    const char pair[2] = {charMapData_[group >> shift_], charMapData_[group & mask_]};
    std::memcpy(&pairTable_[group], pair, 2);
  }
}

size_t RookStringEncoding::encodedLength(size_t byteCount) const {
  size_t length = (byteCount * 8 + shift_ - 1) / shift_;
  // Without a padding character there is nothing to pad with; NULs would only corrupt the text.
  if (doPad_ && hasPaddingChar_) {
    length = (length + padLen_ - 1) / padLen_ * padLen_;
  }
  return length;
}

char* RookStringEncoding::encodeBase64Groups(const uint8_t*& in, const uint8_t* end,
                                             char* out) const {
  const uint16_t* pairs = pairTable_.data();
  while (end - in >= 6) {
    const uint32_t first = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
    const uint32_t second = (uint32_t{in[3]} << 16) | (uint32_t{in[4]} << 8) | in[5];
    const uint16_t quad[4] = {pairs[first >> 12], pairs[first & 0xFFF], pairs[second >> 12],
                              pairs[second & 0xFFF]};
    std::memcpy(out, quad, 8);
    in += 6;
    out += 8;
  }
  if (end - in >= 3) {
    const uint32_t group = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
    std::memcpy(out, &pairs[group >> 12], 2);
    std::memcpy(out + 2, &pairs[group & 0xFFF], 2);
    in += 3;
    out += 4;
  }
  return out;
}

char* RookStringEncoding::encodeHexBytes(const uint8_t*& in, const uint8_t* end, char* out) const {
  for (; in != end; ++in, out += 2)
    std::memcpy(out, &pairTable_[*in], 2);
  return out;
}

char* RookStringEncoding::encodeBits(std::span<const uint8_t> bytes, char* out) const {
  if (bytes.empty()) return out;
  uint32_t buffer = bytes[0];
  int pending = 8;
  size_t next = 1;
  do {
    if (pending < shift_) {
      if (next < bytes.size()) {
        buffer = (buffer << 8) | bytes[next++];
        pending += 8;
      } else {
        buffer <<= shift_ - pending;
        pending = shift_;
      }
    }
    pending -= shift_;
    *out++ = charMapData_[(buffer >> pending) & mask_];
  } while (pending > 0 || next < bytes.size());
  return out;
}

std::string RookStringEncoding::encode(std::span<const uint8_t> bytes) const {
  if (bytes.empty()) return {};
  std::string text(encodedLength(bytes.size()), '\0');
  const uint8_t* in = bytes.data();
  const uint8_t* end = in + bytes.size();
  char* out = text.data();
  // The fast paths stop at a whole input group, where the bit buffer is empty again.
  if (shift_ == 6) out = encodeBase64Groups(in, end, out);
  if (shift_ == 4) out = encodeHexBytes(in, end, out);
  out = encodeBits({in, end}, out);
  const size_t written = out - text.data();
  if (written != (bytes.size() * 8 + shift_ - 1) / shift_) {
    RookReportAssertionFailure("Underflowed output buffer");
    return {};
  }
  std::memset(out, paddingChar_, text.size() - written);
  return text;
}

std::string RookStringEncoding::encodeString(std::string_view text) const {
  return encode({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

// ---- Decoding ----

namespace {

// The decoder's running state: bits not yet emitted and the bytes written so far.
struct DecodeState {
  uint32_t buffer = 0;
  int pending = 0;
  bool paddingSeen = false;
  uint8_t* out = nullptr;
  uint8_t* limit = nullptr;
};

// Decodes whole groups of four data characters while they last; stops before the first group
// that holds anything else. Returns the index after the last group decoded.
size_t decodeBase64Groups(const int8_t* map, const unsigned char* text, size_t index, size_t length,
                          DecodeState& state) {
  uint8_t* out = state.out;
  while (length - index >= 4) {
    const int8_t a = map[text[index]];
    const int8_t b = map[text[index + 1]];
    const int8_t c = map[text[index + 2]];
    const int8_t d = map[text[index + 3]];
    if ((a | b | c | d) < 0) break;
    const uint32_t group = (uint32_t(a) << 18) | (uint32_t(b) << 12) | (uint32_t(c) << 6) | d;
    out[0] = static_cast<uint8_t>(group >> 16);
    out[1] = static_cast<uint8_t>(group >> 8);
    out[2] = static_cast<uint8_t>(group);
    out += 3;
    index += 4;
  }
  state.out = out;
  return index;
}

size_t decodeHexPairs(const int8_t* map, const unsigned char* text, size_t index, size_t length,
                      DecodeState& state) {
  uint8_t* out = state.out;
  while (length - index >= 2) {
    const int8_t high = map[text[index]];
    const int8_t low = map[text[index + 1]];
    if ((high | low) < 0) break;
    *out++ = static_cast<uint8_t>((high << 4) | low);
    index += 2;
  }
  state.out = out;
  return index;
}

}  // namespace

std::optional<std::vector<uint8_t>> RookStringEncoding::decode(std::string_view text) const {
  size_t length = text.size();
  if (reverseCharMap_[0] == kUnmapped) {
    if (const void* nul = std::memchr(text.data(), 0, length)) {
      length = static_cast<const char*>(nul) - text.data();
    }
  }
  const auto* chars = reinterpret_cast<const unsigned char*>(text.data());
  const int8_t* map = reverseCharMap_.data();

  std::vector<uint8_t> bytes(length / 8 * shift_ + length % 8 * shift_ / 8);
  DecodeState state;
  state.out = bytes.data();
  state.limit = bytes.data() + bytes.size();

  size_t index = 0;
  while (index < length) {
    if (state.pending == 0 && !state.paddingSeen) {
      if (shift_ == 6) index = decodeBase64Groups(map, chars, index, length, state);
      if (shift_ == 4) index = decodeHexPairs(map, chars, index, length, state);
      if (index == length) break;
    }
    const int8_t value = map[chars[index++]];
    if (value == kPadding) {
      state.paddingSeen = true;
    } else if (value == kUnmapped) {
      return std::nullopt;
    } else if (value >= 0) {
      if (state.paddingSeen) return std::nullopt;
      state.buffer = (state.buffer << shift_) | static_cast<uint32_t>(value);
      state.pending += shift_;
      if (state.pending >= 8) {
        if (state.out == state.limit) {
          RookReportAssertionFailure("Overflowed buffer");
          return std::nullopt;
        }
        state.pending -= 8;
        *state.out++ = static_cast<uint8_t>(state.buffer >> state.pending);
      }
    }
  }
  if (state.buffer & ((1u << state.pending) - 1)) return std::nullopt;
  bytes.resize(state.out - bytes.data());
  return bytes;
}

std::optional<std::string> RookStringEncoding::stringByDecoding(std::string_view text) const {
  auto bytes = decode(text);
  if (!bytes) return std::nullopt;
  std::string decoded(bytes->begin(), bytes->end());
  if (!RookIsValidUTF8(decoded)) return std::nullopt;
  return decoded;
}

std::string RookStringEncoding::description() const {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  std::string alphabet = "<";
  for (size_t i = 0; i < charMapData_.size(); ++i) {
    if (i > 0 && i % 4 == 0) alphabet.push_back(' ');
    const auto byte = static_cast<unsigned char>(charMapData_[i]);
    alphabet.push_back(kHexDigits[byte >> 4]);
    alphabet.push_back(kHexDigits[byte & 0xF]);
  }
  alphabet.push_back('>');
  return "<Base" + std::to_string(1 << shift_) + " StringEncoder: " + alphabet + ">";
}
