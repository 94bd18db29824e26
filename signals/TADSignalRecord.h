#pragma once

// The opaque signal texts: a small binary record, big-endian, written as web-safe base 64 without
// padding. Every record starts with its kind and the state's facts:
//
//   kind (1 byte: 1 request, 2 click) | touch count (u32) | last touch x, y, duration (3 × i32) |
//   milliseconds since start (u32) | request type (i32, -1 before any) | digest of the version
//   (u32)
//
// A click record adds the digest of the click's "ai" value (u32) and of the calling stack (u32).
// Digests are 32-bit FNV-1a. The same state, time and inputs always give the same text.

#include <cstdint>
#include <string>
#include <string_view>

#include "signals/TADSignalState.h"

class TADSignalRecord {
 public:
  static constexpr uint8_t kRequestKind = 1;
  static constexpr uint8_t kClickKind = 2;

  static std::string requestText(const TADSignalState& state, double nowSeconds);
  static std::string clickText(const TADSignalState& state, double nowSeconds,
                               std::string_view clickValue, std::string_view stackTrace);

  static uint32_t digest(std::string_view text);
  // The digest of a stack trace with its addresses left out: addresses move from run to run with
  // the address-space layout, the names of the frames do not.
  static uint32_t stackDigest(std::string_view stackTrace);
};
