#include "platform/core/NotificationCenter.h"

#include <algorithm>

namespace platform {

void NotificationCenter::addObserver(const void* observer, std::string name, const void* object,
                                     Handler handler) {
  registrations_.push_back({nextId_++, observer, std::move(name), object, std::move(handler)});
}

void NotificationCenter::removeObserver(const void* observer) {
  std::erase_if(registrations_, [&](const Registration& r) { return r.observer == observer; });
}

void NotificationCenter::removeObserver(const void* observer, std::string_view name,
                                        const void* object) {
  std::erase_if(registrations_, [&](const Registration& r) {
    return r.observer == observer && (name.empty() || r.name == name) &&
           (!object || r.object == object);
  });
}

bool NotificationCenter::isRegistered(uint64_t id) const {
  return std::any_of(registrations_.begin(), registrations_.end(),
                     [&](const Registration& r) { return r.id == id; });
}

void NotificationCenter::post(const Notification& notification) {
  // Handlers may add or remove registrations, so deliver from a snapshot and check each one is
  // still registered when its turn comes.
  std::vector<Registration> matching;
  for (const Registration& r : registrations_) {
    if (!r.name.empty() && r.name != notification.name) continue;
    if (r.object && r.object != notification.object) continue;
    matching.push_back(r);
  }
  for (const Registration& r : matching) {
    if (isRegistered(r.id)) r.handler(notification);
  }
}

void NotificationCenter::post(std::string name, const void* object, base::Value userInfo) {
  post(Notification{std::move(name), object, std::move(userInfo)});
}

size_t NotificationCenter::registrationCount(const void* observer) const {
  return static_cast<size_t>(
      std::count_if(registrations_.begin(), registrations_.end(),
                    [&](const Registration& r) { return r.observer == observer; }));
}

}  // namespace platform
