// Decodes arbitrary text with every named encoding, plain or with ignored characters, and checks
// the round trips: decode -> encode -> decode gives the same bytes, and encoding any bytes
// decodes back to them.
//
// Input: one selector byte (encoding, padding, ignored characters), then the text or bytes.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "encoding/RookStringEncoding.h"

namespace {

using Factory = std::shared_ptr<RookStringEncoding> (*)();

constexpr Factory kNamedEncodings[] = {
    RookStringEncoding::binaryStringEncoding,
    RookStringEncoding::hexStringEncoding,
    RookStringEncoding::rfc4648Base32StringEncoding,
    RookStringEncoding::rfc4648Base32HexStringEncoding,
    RookStringEncoding::crockfordBase32StringEncoding,
    RookStringEncoding::rfc4648Base64StringEncoding,
    RookStringEncoding::rfc4648Base64WebsafeStringEncoding,
};
constexpr size_t kNamedCount = sizeof(kNamedEncodings) / sizeof(kNamedEncodings[0]);

void require(bool condition) {
  if (!condition) std::abort();
}

std::shared_ptr<RookStringEncoding> makeEncoding(uint8_t selector) {
  auto encoding = kNamedEncodings[(selector & 0x0F) % kNamedCount]();
  encoding->setDoPad(selector & 0x10);
  // Spaces and line ends are not part of any named alphabet, so ignoring them is allowed.
  if (selector & 0x20) encoding->ignoreCharacters(" \r\n\t");
  return encoding;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto encoding = makeEncoding(data[0]);
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  if (const auto bytes = encoding->decode(text)) {
    const std::string encoded = encoding->encode(*bytes);
    require(encoding->decode(encoded) == bytes);
    require(encoding->encode(*encoding->decode(encoded)) == encoded);
  }
  (void)encoding->stringByDecoding(text);

  const std::vector<uint8_t> raw(data + 1, data + size);
  const std::string encoded = encoding->encode(raw);
  require(encoding->decode(encoded) == raw);
  return 0;
}
