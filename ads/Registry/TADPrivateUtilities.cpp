#include "ads/Registry/TADPrivateUtilities.h"

std::unordered_map<const void*, std::shared_ptr<void>>& TADPrivateUtilities::sPrivateObjects() {
  static std::unordered_map<const void*, std::shared_ptr<void>> table;
  return table;
}

void TADPrivateUtilities::store(std::shared_ptr<void> object, const void* key) {
  sPrivateObjects()[key] = std::move(object);
}

std::shared_ptr<void> TADPrivateUtilities::find(const void* key) {
  auto entry = sPrivateObjects().find(key);
  return entry == sPrivateObjects().end() ? nullptr : entry->second;
}

void TADPrivateUtilities::remove(const void* key) {
  // Move the companion out first: its destructor may itself use the registry.
  auto entry = sPrivateObjects().find(key);
  if (entry == sPrivateObjects().end()) return;
  std::shared_ptr<void> companion = std::move(entry->second);
  sPrivateObjects().erase(entry);
  companion.reset();
}

size_t TADPrivateUtilities::count() {
  return sPrivateObjects().size();
}
