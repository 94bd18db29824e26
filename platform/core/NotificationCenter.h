#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Value.h"

namespace platform {

// One posted notification: a name, the object that posted it (compared by identity only, never
// dereferenced) and optional user information.
struct Notification {
  std::string name;
  const void* object = nullptr;
  base::Value userInfo;
};

// Delivers notifications to observers, synchronously and in registration order, on the thread
// that posts (the main thread). An observer registers a handler with a name filter (empty: every
// name) and a sender filter (null: every sender); it is identified by an opaque pointer so that it
// can remove its registrations, all at once or by name and sender. A registration removed while a
// notification is being delivered is not called after its removal.
class NotificationCenter {
 public:
  using Handler = std::function<void(const Notification&)>;

  // The installed platform's default center.
  static NotificationCenter& defaultCenter();

  void addObserver(const void* observer, std::string name, const void* object, Handler handler);
  // Removes every registration of the observer.
  void removeObserver(const void* observer);
  // removeObserver on the default center, for observers that go: safe with no platform
  // installed, when no center is left to call them.
  static void removeObserverFromDefaultCenter(const void* observer);
  // Removes the observer's registrations that match: an empty name or null object matches all.
  void removeObserver(const void* observer, std::string_view name, const void* object);

  void post(const Notification& notification);
  void post(std::string name, const void* object, base::Value userInfo = {});

  // How many registrations the observer has (for assertions on clean-up).
  size_t registrationCount(const void* observer) const;

 private:
  struct Registration {
    uint64_t id;
    const void* observer;
    std::string name;
    const void* object;
    Handler handler;
  };
  bool isRegistered(uint64_t id) const;

  std::vector<Registration> registrations_;
  uint64_t nextId_ = 1;
};

}  // namespace platform
