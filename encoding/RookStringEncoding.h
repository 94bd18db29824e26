#pragma once

// A table-driven encoder and decoder between bytes and text over an ASCII alphabet whose size is
// a power of two from 2 to 128. Each group of log2(size) input bits, most significant first,
// becomes one alphabet character; a short last group is filled with zero bits.
//
// Contract:
// - Creation fails (yields nothing) for an alphabet that is not ASCII, whose length is not a power
//   of two from 2 to 128, or that repeats a character.
// - A new encoding has padding off and no padding character. When padding is on and a padding
//   character is set, encode() fills the text up to a whole group of lcm(bits, 8) / bits
//   characters (binary 8, hexadecimal 2, base 32 8, base 64 4).
// - decode() is strict: it yields nothing for text that is not ASCII, holds a character that is
//   not part of the encoding, holds a data character after a padding character, or ends with
//   leftover bits that are not all zero. Padding characters may follow the data in any number and
//   are never required. Ignored characters are skipped anywhere. A NUL character ends the text
//   unless NUL is itself one of the encoding's characters.
// - Configuration (padding, synonyms, ignored characters) happens right after creation; after
//   that an encoding is only read and may be used from any thread.
// - Configuration requests that break the caller's contract (see each operation) are reported
//   through RookReportAssertionFailure and ignored.
//
// TAD_RookStringEncoding (encoding/TAD_RookStringEncoding.h) is this class under the name the ad
// library uses.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/RookFastCodec.h"

class RookStringEncoding {
  struct Passkey {};

 public:
  // A new encoding over alphabet, or nothing when the alphabet is invalid.
  static std::shared_ptr<RookStringEncoding> stringEncodingWithString(std::string_view alphabet);
  // The same as a value.
  static std::optional<RookStringEncoding> initWithString(std::string_view alphabet);
  // Made by the two factories above, which check the alphabet first.
  RookStringEncoding(Passkey, std::string_view alphabet);

  // Fresh objects on every call; nothing is shared between them.
  static std::shared_ptr<RookStringEncoding> binaryStringEncoding();
  static std::shared_ptr<RookStringEncoding> hexStringEncoding();
  static std::shared_ptr<RookStringEncoding> rfc4648Base32StringEncoding();
  static std::shared_ptr<RookStringEncoding> rfc4648Base32HexStringEncoding();
  static std::shared_ptr<RookStringEncoding> crockfordBase32StringEncoding();
  static std::shared_ptr<RookStringEncoding> rfc4648Base64StringEncoding();
  static std::shared_ptr<RookStringEncoding> rfc4648Base64WebsafeStringEncoding();

  bool doPad() const { return doPad_; }
  void setDoPad(bool doPad) { doPad_ = doPad; }

  // Sets the padding character; it decodes as padding from now on, as does any padding character
  // set before. A non-ASCII character, or one that already decodes as data, is refused.
  void setPaddingChar(char paddingChar);

  // Groups of characters: each group starts with a character the encoding already knows, and the
  // unknown characters that follow it decode like it. Characters already known start a new group.
  // Non-ASCII text is refused as a whole.
  void addDecodeSynonyms(std::string_view synonyms);

  // Characters that decode() skips. Each must not be known to the encoding yet; one that is, is
  // refused ("Character already mapped") and the others are still taken. Non-ASCII text is
  // refused as a whole.
  void ignoreCharacters(std::string_view characters);

  std::string encode(std::span<const uint8_t> bytes) const;
  std::string encode(const std::vector<uint8_t>& bytes) const {
    return encode(std::span<const uint8_t>(bytes));
  }
  // Encodes the bytes of text (UTF-8).
  std::string encodeString(std::string_view text) const;

  std::optional<std::vector<uint8_t>> decode(std::string_view text) const;
  // The decoded bytes as text, or nothing when decoding fails or the bytes are not UTF-8.
  std::optional<std::string> stringByDecoding(std::string_view text) const;

  // "<Base<size> StringEncoder: <alphabet bytes in hexadecimal, groups of four>>".
  std::string description() const;

 private:
  // Entries of reverseCharMap_ that are not character values.
  static constexpr int8_t kUnmapped = -1;
  static constexpr int8_t kPadding = -2;
  static constexpr int8_t kIgnored = -3;

  static bool isValidAlphabet(std::string_view alphabet);

  void decodeMapChanged();
  size_t dataCharacterCount(size_t byteCount) const;  // before padding
  char* encodeBits(std::span<const uint8_t> bytes, char* out) const;

  std::string charMapData_;  // the alphabet; entry v is the character for value v
  // For every byte: its value, or one of the markers above. Bytes from 128 up stay unmapped.
  std::array<int8_t, 256> reverseCharMap_;
  int shift_ = 0;  // bits per character
  int mask_ = 0;
  bool doPad_ = false;
  char paddingChar_ = 0;
  bool hasPaddingChar_ = false;
  int padLen_ = 0;                     // characters per padded group: always a power of two
  std::optional<RookFastCodec> fast_;  // for 64- and 16-character alphabets
};
