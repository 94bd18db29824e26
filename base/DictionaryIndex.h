#pragma once

// The hashed index of a large base::Dictionary: the positions of its entries by the hash of their
// keys, an open-addressed table of position + 1 (0 marks a free slot), at most half full, so that
// a lookup touches a slot or two and building it allocates once. Positions stay valid across the
// growth of the entries' block, which views of the keys would not. Keys are hashed with the
// standard library's fast hash until a probe run grows crowded (keys chosen to collide), then with
// SipHash under the process's secret, which outside input cannot aim at. Only the dictionary's own
// code includes this.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "base/SipHash.h"
#include "base/Value.h"

namespace base {

class Dictionary::Index {
 public:
  enum class Added { kAdded, kFull, kCrowded };

  // Room for count entries; holds the first placed of entries, up to the first key that occurs
  // twice.
  Index(const Entry* entries, size_t placed, size_t count, bool keyed);

  // Whether the entries given to the constructor hold a key twice.
  bool sawRepeatedKey() const { return repeatedKey_; }
  bool keyed() const { return keyed_; }
  bool hasRoomFor(size_t count) const { return count * 2 <= slots_.size(); }

  size_t hash(std::string_view key) const {
    return keyed_ ? SipHash::hash(secret_, key) : std::hash<std::string_view>{}(key);
  }
  // The position of key, whose hash() is given, or SIZE_MAX.
  size_t find(std::string_view key, size_t hash, const Entry* entries) const;
  // Records the entry just appended at position, unless the table must be rebuilt first: larger
  // (kFull) or with the keyed hash (kCrowded).
  Added add(size_t position, size_t hash);

  // How many slots past the first this thread's lookups and insertions have visited, in all.
  static uint64_t probes();

 private:
  // Returns how many slots were passed over.
  size_t place(size_t hash, size_t position);
  // place() for an entry whose key may already be in the table: SIZE_MAX then, and not placed.
  size_t placeNew(const Entry* entries, size_t position);

  std::vector<uint32_t> slots_;
  const uint64_t* secret_ = SipHash::processKey();
  bool keyed_;
  bool repeatedKey_ = false;
};

}  // namespace base
