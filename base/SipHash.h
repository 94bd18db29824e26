#pragma once

// SipHash-1-3 of text under a 128-bit key: a keyed hash whose outputs tell nothing usable about
// the key, so that outside input cannot choose texts that collide without knowing it.

#include <cstdint>
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

  uint64_t v0_, v1_, v2_, v3_;
};

}  // namespace base
