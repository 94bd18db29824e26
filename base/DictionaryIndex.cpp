#include "base/DictionaryIndex.h"

#include <algorithm>

namespace base {

namespace {

// A probe run this long does not happen by chance in a table at most half full; keys that make
// one were chosen for it, and the index changes to the keyed hash.
constexpr size_t kCrowdedRun = 48;

thread_local uint64_t probeCount = 0;

}  // namespace

inline size_t Dictionary::Index::placeNew(const Entry* entries, size_t position) {
  const Key& key = entries[position].first;
  size_t mask = slots_.size() - 1;
  size_t slot = hash(key.view()) & mask;
  size_t run = 0;
  for (; slots_[slot] != 0; slot = (slot + 1) & mask, ++run) {
    if (entries[slots_[slot] - 1].first == key) {
      probeCount += run;
      return SIZE_MAX;
    }
  }
  slots_[slot] = static_cast<uint32_t>(position + 1);
  probeCount += run;
  return run;
}

Dictionary::Index::Index(const Entry* entries, size_t placed, size_t count, bool keyed)
    : keyed_(keyed) {
  size_t capacity = 16;
  while (capacity < count * 2 + 2)
    capacity *= 2;
  slots_.assign(capacity, 0);
  for (size_t i = 0; i < placed; ++i) {
    size_t run = placeNew(entries, i);
    if (run == SIZE_MAX) {
      repeatedKey_ = true;
      return;
    }
    if (run > kCrowdedRun && !keyed_) {
      keyed_ = true;
      std::fill(slots_.begin(), slots_.end(), 0);
      i = SIZE_MAX;  // again from the first entry
    }
  }
}

size_t Dictionary::Index::find(std::string_view key, size_t hash, const Entry* entries) const {
  size_t mask = slots_.size() - 1;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask, ++probeCount) {
    uint32_t mark = slots_[slot];
    if (mark == 0) return SIZE_MAX;
    if (entries[mark - 1].first == key) return mark - 1;
  }
}

Dictionary::Index::Added Dictionary::Index::add(size_t position, size_t hash) {
  if (!hasRoomFor(position + 1)) return Added::kFull;
  size_t run = place(hash, position);
  return run > kCrowdedRun && !keyed_ ? Added::kCrowded : Added::kAdded;
}

uint64_t Dictionary::Index::probes() {
  return probeCount;
}

size_t Dictionary::Index::place(size_t hash, size_t position) {
  size_t mask = slots_.size() - 1;
  size_t slot = hash & mask;
  size_t run = 0;
  for (; slots_[slot] != 0; slot = (slot + 1) & mask)
    ++run;
  slots_[slot] = static_cast<uint32_t>(position + 1);
  probeCount += run;
  return run;
}

}  // namespace base
