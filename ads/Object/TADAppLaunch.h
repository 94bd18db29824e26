#pragma once

namespace platform {
struct Notification;
}

// Whether the application is in a state to load ads. A load asked for while the application is
// launching goes ahead; once the platform has announced that it finished launching, only while
// it is active. The announcement is watched from the first ad object on.
class TADAppLaunch {
 public:
  // Starts watching for the announcement, once per notification center: a platform installed
  // anew (as tests do) brings a new center.
  static void watch();
  // Active, no platform to ask, or not yet launched.
  static bool isAppActive();
  // Forgets that the application launched, for a test that installs a new platform.
  static void reset();

 private:
  // Set once the platform has announced that the application finished launching.
  static bool& didAppFinishLaunching();
  static void appDidFinishLaunching(const platform::Notification& notification);
};
