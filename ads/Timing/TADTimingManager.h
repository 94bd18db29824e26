#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ads/Timing/TADTiming.h"

namespace platform {
class UserDefaults;
}  // namespace platform

// A named set of timings, at most one per category, kept in the user defaults under
// "talvik_timing_<identifier>" so that an interval begun in one launch can be reported in the
// next. The set is loaded at creation and saved on synchronize, when the application is about to
// terminate, and when the manager goes. Each stored timing names the boot its readings belong to
// (the clock's boot identifier); after a reboot the monotonic clock counts from zero again, so
// timings stored in another boot, or without one, are dropped at loading.
class TADTimingManager {
 public:
  // The set of identifier, loaded.
  static TADTimingManager initWithIdentifier(std::string identifier) {
    return TADTimingManager(std::move(identifier));
  }
  ~TADTimingManager();
  TADTimingManager(const TADTimingManager&) = delete;
  TADTimingManager& operator=(const TADTimingManager&) = delete;

  const std::string& identifier() const { return identifier_; }
  std::string userDefaultsKey() const;

  // A new, not-started timing for category, replacing any other of that category.
  std::shared_ptr<TADTiming> addTimingWithCategory(std::string category);
  void addTiming(std::shared_ptr<TADTiming> timing);
  // The timing itself, or nullptr.
  std::shared_ptr<TADTiming> timingForCategory(std::string_view category) const;
  void removeTimingForCategory(std::string_view category);
  void removeTiming(const std::shared_ptr<TADTiming>& timing);
  void removeTimingsForCategories(const std::vector<std::string>& categories);
  void removeAllTimings();

  std::vector<std::string> categories() const;
  std::vector<std::shared_ptr<TADTiming>> timings() const;

  void synchronize() { savePersistentTimings(); }

 private:
  explicit TADTimingManager(std::string identifier);
  void loadPersistentTimings();
  void savePersistentTimings();
  void saveTo(platform::UserDefaults& defaults);

  std::string identifier_;
  std::vector<std::shared_ptr<TADTiming>> timings_;  // in order of first insertion
};
