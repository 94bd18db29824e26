#include "ads/Object/TADAppLaunch.h"

#include <string>

#include "platform/Application.h"
#include "platform/Platform.h"
#include "platform/core/NotificationCenter.h"

bool& TADAppLaunch::didFinishLaunching() {
  static bool launched = false;
  return launched;
}

void TADAppLaunch::watch() {
  static const int observer = 0;
  auto& center = platform::NotificationCenter::defaultCenter();
  if (didFinishLaunching() || center.registrationCount(&observer) > 0) return;
  center.addObserver(&observer, std::string(platform::Application::kDidFinishLaunchingNotification),
                     nullptr, [](const platform::Notification&) {
                       didFinishLaunching() = true;
                       platform::NotificationCenter::removeObserverFromDefaultCenter(&observer);
                     });
}

bool TADAppLaunch::isAppActive() {
  if (!platform::Platform::isInstalled()) return true;
  if (platform::Application::shared().applicationState() == platform::Application::State::Active) {
    return true;
  }
  return !didFinishLaunching();
}

void TADAppLaunch::reset() {
  didFinishLaunching() = false;
}
