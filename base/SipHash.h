#pragma once

// SipHash-1-3 of text under a 128-bit key: a keyed hash whose outputs tell nothing usable about
// the key, so that outside input cannot choose texts that collide without knowing it.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace base {

class SipHash {
 public:
  static uint64_t hash(const uint64_t key[2], std::string_view text);
  // The process's secret key, drawn from the kernel at the first call; the same for the life of
  // the process, different from run to run.
  static const uint64_t* processKey();

 private:
  explicit SipHash(const uint64_t key[2]);
  void compress(uint64_t word);
  void round();
  // The bytes after the last whole word of text, in the low bytes of a word (zeros above them).
  // From loads that may overlap, reading only the text's own bytes: a loop over them took a third
  // of hashing a short key.
  static uint64_t lastWord(std::string_view text);

  uint64_t v0_, v1_, v2_, v3_;
};

// Inline, as a dictionary under attack hashes every key with it.
inline SipHash::SipHash(const uint64_t key[2])
    : v0_(key[0] ^ 0x736f6d6570736575ULL),
      v1_(key[1] ^ 0x646f72616e646f6dULL),
      v2_(key[0] ^ 0x6c7967656e657261ULL),
      v3_(key[1] ^ 0x7465646279746573ULL) {}

inline void SipHash::round() {
  v0_ += v1_;
  v1_ = std::rotl(v1_, 13) ^ v0_;
  v0_ = std::rotl(v0_, 32);
  v2_ += v3_;
  v3_ = std::rotl(v3_, 16) ^ v2_;
  v0_ += v3_;
  v3_ = std::rotl(v3_, 21) ^ v0_;
  v2_ += v1_;
  v1_ = std::rotl(v1_, 17) ^ v2_;
  v2_ = std::rotl(v2_, 32);
}

inline void SipHash::compress(uint64_t word) {
  v3_ ^= word;
  round();
  v0_ ^= word;
}

inline uint64_t SipHash::lastWord(std::string_view text) {
  const char* bytes = text.data();
  size_t size = text.size();
  size_t rest = size % 8;
  if (rest == 0) return 0;
  auto load = [bytes](size_t at, auto word) {
    std::memcpy(&word, bytes + at, sizeof word);
    return static_cast<uint64_t>(word);
  };
  if (size >= 8) return load(size - 8, uint64_t{}) >> (8 * (8 - rest));
  if (rest >= 4) return load(0, uint32_t{}) | load(rest - 4, uint32_t{}) << (8 * (rest - 4));
  return load(0, uint8_t{}) | load(rest / 2, uint8_t{}) << (8 * (rest / 2)) |
         load(rest - 1, uint8_t{}) << (8 * (rest - 1));
}

inline uint64_t SipHash::hash(const uint64_t key[2], std::string_view text) {
  SipHash state(key);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  size_t whole = text.size() / 8 * 8;
  for (size_t i = 0; i < whole; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    state.compress(word);
  }
  state.compress(lastWord(text) | static_cast<uint64_t>(text.size()) << 56);
  state.v2_ ^= 0xff;
  for (int round = 0; round < 3; ++round)
    state.round();
  return state.v0_ ^ state.v1_ ^ state.v2_ ^ state.v3_;
}

}  // namespace base
