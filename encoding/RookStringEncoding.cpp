#include "encoding/RookStringEncoding.h"

#include <bit>
#include <cstring>
#include <numeric>

#include "base/Utf8Validator.h"
#include "encoding/RookAssertion.h"

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

RookStringEncoding::RookStringEncoding(Passkey, std::string_view alphabet)
    : charMapData_(alphabet) {
  reverseCharMap_.fill(kUnmapped);
  for (size_t value = 0; value < alphabet.size(); ++value) {
    reverseCharMap_[static_cast<unsigned char>(alphabet[value])] = static_cast<int8_t>(value);
  }
  shift_ = std::countr_zero(alphabet.size());
  mask_ = (1 << shift_) - 1;
  padLen_ = std::lcm(shift_, 8) / shift_;
  if (RookFastCodec::covers(shift_)) fast_.emplace(charMapData_, shift_);
  decodeMapChanged();
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
  return std::make_shared<RookStringEncoding>(Passkey{}, alphabet);
}

std::optional<RookStringEncoding> RookStringEncoding::initWithString(std::string_view alphabet) {
  if (!isValidAlphabet(alphabet)) return std::nullopt;
  return RookStringEncoding(Passkey{}, alphabet);
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
  decodeMapChanged();
}

void RookStringEncoding::decodeMapChanged() {
  if (fast_) fast_->setDecodeMap(reverseCharMap_, kPadding);
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
  decodeMapChanged();
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
  decodeMapChanged();
}

// ---- Encoding ----

size_t RookStringEncoding::dataCharacterCount(size_t byteCount) const {
  if (shift_ == 6) return (byteCount * 4 + 2) / 3;  // spares a division in the common case
  return (byteCount * 8 + shift_ - 1) / shift_;
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
  const size_t dataLength = dataCharacterCount(bytes.size());
  size_t length = dataLength;
  // Without a padding character there is nothing to pad with; NULs would only corrupt the text.
  if (doPad_ && hasPaddingChar_) length = (length + padLen_ - 1) & ~size_t(padLen_ - 1);
  std::string text(length, paddingChar_);
  char* const end = fast_ ? fast_->encode(bytes.data(), bytes.size(), text.data())
                          : encodeBits(bytes, text.data());
  if (static_cast<size_t>(end - text.data()) != dataLength) {
    RookReportAssertionFailure("Underflowed output buffer");
    return {};
  }
  return text;
}

std::string RookStringEncoding::encodeString(std::string_view text) const {
  return encode({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

// ---- Decoding ----

std::optional<std::vector<uint8_t>> RookStringEncoding::decode(std::string_view text) const {
  const size_t length = text.size();
  const auto* chars = reinterpret_cast<const unsigned char*>(text.data());

  std::vector<uint8_t> bytes(length / 8 * shift_ + length % 8 * shift_ / 8);
  uint8_t* out = bytes.data();
  const uint8_t* const limit = bytes.data() + bytes.size();
  uint32_t buffer = 0;
  int pending = 0;
  bool paddingSeen = false;

  size_t index = 0;
  while (index < length) {
    // Whole groups start where no bits are pending; after padding only the slow road refuses data.
    if (fast_ && pending == 0 && !paddingSeen) {
      index = fast_->decodeGroups(chars, index, length, out, limit);
      if (index == length) break;
    }
    const int8_t value = reverseCharMap_[chars[index++]];
    if (value == kPadding) {
      paddingSeen = true;
    } else if (value == kUnmapped) {
      if (chars[index - 1] == '\0') break;  // the end of the text, unless NUL is mapped
      return std::nullopt;
    } else if (value >= 0) {
      if (paddingSeen) return std::nullopt;
      buffer = (buffer << shift_) | static_cast<uint32_t>(value);
      pending += shift_;
      if (pending >= 8) {
        if (out == limit) {
          RookReportAssertionFailure("Overflowed buffer");
          return std::nullopt;
        }
        pending -= 8;
        *out++ = static_cast<uint8_t>(buffer >> pending);
      }
    }
  }
  if (buffer & ((1u << pending) - 1)) return std::nullopt;
  bytes.resize(out - bytes.data());
  return bytes;
}

std::optional<std::string> RookStringEncoding::stringByDecoding(std::string_view text) const {
  auto bytes = decode(text);
  if (!bytes) return std::nullopt;
  std::string decoded(bytes->begin(), bytes->end());
  if (!base::Utf8Validator::isValid(decoded)) return std::nullopt;
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
