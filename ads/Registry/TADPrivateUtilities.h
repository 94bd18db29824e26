#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>

// The type of the private companion that a kind of public object keeps in the registry below.
// Each kind of public object names its own beside its declaration:
//
//   template <> struct TADPrivateCompanion<TADWebView> { using type = TADWebViewPrivate; };
//
// A key without it, or a companion of another type, does not compile.
template <typename Key>
struct TADPrivateCompanion;

template <typename Key>
using TADPrivateCompanionOf = typename TADPrivateCompanion<Key>::type;

// The registry that ties a public ad object (a banner view, a full-screen controller, a web view)
// to the private companion holding its state. The key is the public object's identity and is not
// kept alive by its entry; the entry owns the companion. One table for all kinds: a key's type
// fixes its companion's type, so an entry is always read back as what was put in. Main thread
// only.
class TADPrivateUtilities {
 public:
  // Inserts or replaces the companion of key.
  template <typename Key>
  static void setPrivateObject(std::shared_ptr<TADPrivateCompanionOf<Key>> object, const Key* key) {
    store(std::move(object), key);
  }
  // The companion of key, or nullptr.
  template <typename Key>
  static std::shared_ptr<TADPrivateCompanionOf<Key>> privateObjectForKey(const Key* key) {
    return std::static_pointer_cast<TADPrivateCompanionOf<Key>>(find(key));
  }
  // Drops the entry, releasing the companion.
  template <typename Key>
  static void removePrivateObjectForKey(const Key* key) {
    remove(key);
  }
  static size_t count();

 private:
  static void store(std::shared_ptr<void> object, const void* key);
  static std::shared_ptr<void> find(const void* key);
  static void remove(const void* key);
  static std::unordered_map<const void*, std::shared_ptr<void>>& sPrivateObjects();
};
