#include "ads/Timing/TADTimingManager.h"

#include <algorithm>

#include "platform/core/Clock.h"

#include "platform/Application.h"
#include "platform/core/NotificationCenter.h"
#include "platform/storage/UserDefaults.h"

namespace {

constexpr std::string_view kBootKey = "boot";

}  // namespace

TADTimingManager::TADTimingManager(std::string identifier) : identifier_(std::move(identifier)) {
  loadPersistentTimings();
  platform::NotificationCenter::defaultCenter().addObserver(
      this, std::string(platform::Application::kWillTerminateNotification), nullptr,
      [this](const platform::Notification&) { savePersistentTimings(); });
}

TADTimingManager::~TADTimingManager() {
  platform::NotificationCenter::removeObserverFromDefaultCenter(this);
  if (platform::UserDefaults* defaults = platform::UserDefaults::standardIfInstalled()) {
    saveTo(*defaults);
  }
}

std::string TADTimingManager::userDefaultsKey() const {
  return "talvik_timing_" + identifier_;
}

std::shared_ptr<TADTiming> TADTimingManager::addTimingWithCategory(std::string category) {
  auto timing = TADTiming::initWithCategory(std::move(category));
  addTiming(timing);
  return timing;
}

void TADTimingManager::addTiming(std::shared_ptr<TADTiming> timing) {
  if (!timing) return;
  auto sameCategory = std::find_if(timings_.begin(), timings_.end(), [&](const auto& existing) {
    return existing->category() == timing->category();
  });
  if (sameCategory != timings_.end()) {
    *sameCategory = std::move(timing);
  } else {
    timings_.push_back(std::move(timing));
  }
}

std::shared_ptr<TADTiming> TADTimingManager::timingForCategory(std::string_view category) const {
  for (const auto& timing : timings_) {
    if (timing->category() == category) return timing;
  }
  return nullptr;
}

void TADTimingManager::removeTimingForCategory(std::string_view category) {
  std::erase_if(timings_, [&](const auto& timing) { return timing->category() == category; });
}

void TADTimingManager::removeTiming(const std::shared_ptr<TADTiming>& timing) {
  if (timing) removeTimingForCategory(timing->category());
}

void TADTimingManager::removeTimingsForCategories(const std::vector<std::string>& categories) {
  for (const std::string& category : categories)
    removeTimingForCategory(category);
}

void TADTimingManager::removeAllTimings() {
  timings_.clear();
}

std::vector<std::string> TADTimingManager::categories() const {
  std::vector<std::string> names;
  for (const auto& timing : timings_)
    names.push_back(timing->category());
  return names;
}

std::vector<std::shared_ptr<TADTiming>> TADTimingManager::timings() const {
  return timings_;
}

void TADTimingManager::loadPersistentTimings() {
  std::optional<base::Dictionary> stored =
      platform::UserDefaults::standard().dictionaryForKey(userDefaultsKey());
  if (!stored) return;
  const base::Value thisBoot(platform::Clock::shared().bootIdentifier());
  for (const auto& [category, entry] : *stored) {
    const base::Dictionary* representation = entry.asDictionary();
    if (!representation) continue;
    const base::Value* boot = representation->find(kBootKey);
    if (!boot || *boot != thisBoot) continue;
    // An entry is filed under its category, so the key stands in for a missing one.
    auto timing = TADTiming::initWithDictionaryRepresentation(*representation, category.str());
    addTiming(std::move(timing));
  }
}

void TADTimingManager::savePersistentTimings() {
  saveTo(platform::UserDefaults::standard());
}

void TADTimingManager::saveTo(platform::UserDefaults& defaults) {
  base::Dictionary stored;
  const std::string boot = platform::Clock::shared().bootIdentifier();
  for (const auto& timing : timings_) {
    base::Dictionary entry = timing->dictionaryRepresentation();
    entry.set(std::string(kBootKey), boot);
    stored.set(timing->category(), std::move(entry));
  }
  defaults.setObject(userDefaultsKey(), std::move(stored));
  defaults.synchronize();
}
