#include "signals/TADSignalRecord.h"

#include <vector>

#include "encoding/RookStringEncoding.h"

namespace {

void appendUInt32(std::vector<uint8_t>& bytes, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes.push_back(static_cast<uint8_t>(value >> shift));
}

void appendInt32(std::vector<uint8_t>& bytes, int32_t value) {
  appendUInt32(bytes, static_cast<uint32_t>(value));
}

std::vector<uint8_t> stateRecord(uint8_t kind, const TADSignalState& state, double nowSeconds) {
  std::vector<uint8_t> bytes{kind};
  appendUInt32(bytes, state.touchCount());
  appendInt32(bytes, state.lastTouch().x);
  appendInt32(bytes, state.lastTouch().y);
  appendInt32(bytes, state.lastTouch().duration);
  appendUInt32(bytes, state.millisecondsSinceStart(nowSeconds));
  appendInt32(bytes, state.requestType());
  appendUInt32(bytes, TADSignalRecord::digest(state.sdkVersion()));
  return bytes;
}

std::string asText(const std::vector<uint8_t>& bytes) {
  auto encoding = RookStringEncoding::rfc4648Base64WebsafeStringEncoding();
  encoding->setDoPad(false);
  return encoding->encode(bytes);
}

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

}  // namespace

std::string TADSignalRecord::requestText(const TADSignalState& state, double nowSeconds) {
  return asText(stateRecord(kRequestKind, state, nowSeconds));
}

std::string TADSignalRecord::clickText(const TADSignalState& state, double nowSeconds,
                                       std::string_view clickValue, std::string_view stackTrace) {
  std::vector<uint8_t> bytes = stateRecord(kClickKind, state, nowSeconds);
  appendUInt32(bytes, digest(clickValue));
  appendUInt32(bytes, stackDigest(stackTrace));
  return asText(bytes);
}

uint32_t TADSignalRecord::digest(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash;
}

uint32_t TADSignalRecord::stackDigest(std::string_view stackTrace) {
  std::string names;
  names.reserve(stackTrace.size());
  for (size_t i = 0; i < stackTrace.size();) {
    const bool addressStarts = stackTrace.compare(i, 3, " 0x") == 0;
    if (!addressStarts) {
      names.push_back(stackTrace[i++]);
      continue;
    }
    i += 3;
    while (i < stackTrace.size() && isHexDigit(stackTrace[i]))
      ++i;
  }
  return digest(names);
}
