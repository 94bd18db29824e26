#pragma once

#include <memory>
#include <unordered_map>

// The registry that ties a public ad object (a banner view, a full-screen controller, a web view)
// to the private companion holding its state. The key is the public object's identity and is not
// kept alive by its entry; the entry owns the companion. Main thread only.
class TADPrivateUtilities {
 public:
  // Inserts or replaces the companion of key.
  static void setPrivateObject(std::shared_ptr<void> object, const void* key);
  // The companion of key, or nullptr. The caller names the companion's type, which is fixed by
  // the kind of public object the key is.
  template <typename T>
  static std::shared_ptr<T> privateObjectForKey(const void* key) {
    return std::static_pointer_cast<T>(find(key));
  }
  // Drops the entry, releasing the companion.
  static void removePrivateObjectForKey(const void* key);
  static size_t count();

 private:
  static std::shared_ptr<void> find(const void* key);
  static std::unordered_map<const void*, std::shared_ptr<void>>& sPrivateObjects();
};
