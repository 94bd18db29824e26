#include "ads/Object/TADAppLaunch.h"

#include <string>

#include "platform/Application.h"
#include "platform/Platform.h"
#include "platform/core/NotificationCenter.h"

namespace {
const int observer = 0;
}  // namespace

bool& TADAppLaunch::didAppFinishLaunching() {
  static bool launched = false;
  return launched;
}

void TADAppLaunch::watch() {
  auto& center = platform::NotificationCenter::defaultCenter();
  if (didAppFinishLaunching() || center.registrationCount(&observer) > 0) return;
  center.addObserver(&observer, std::string(platform::Application::kDidFinishLaunchingNotification),
                     nullptr, &TADAppLaunch::appDidFinishLaunching);
}

void TADAppLaunch::appDidFinishLaunching(const platform::Notification&) {
  didAppFinishLaunching() = true;
  platform::NotificationCenter::removeObserverFromDefaultCenter(&observer);
}

bool TADAppLaunch::isAppActive() {
  if (!platform::Platform::isInstalled()) return true;
  if (platform::Application::shared().applicationState() == platform::Application::State::Active) {
    return true;
  }
  return !didAppFinishLaunching();
}

void TADAppLaunch::reset() {
  didAppFinishLaunching() = false;
}
