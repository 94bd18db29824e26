#include <gtest/gtest.h>

#include <ctime>

#include "platform/glib/GlibClock.h"
#include "platform/glib/LinuxDevice.h"

namespace platform::glib {
namespace {

TEST(GlibClockTest, DatesCountFromTheReferenceDateAndTheMonotonicClockNeverGoesBack) {
  GlibClock clock;
  double expected = static_cast<double>(std::time(nullptr)) - base::Date::kUnixEpochOffset;
  EXPECT_NEAR(clock.now().timeIntervalSinceReferenceDate(), expected, 2);
  double first = clock.monotonicSeconds();
  EXPECT_GE(clock.monotonicSeconds(), first);
}

TEST(LinuxDeviceTest, TheSystemVersionIsTheDottedPartOfTheKernelRelease) {
  EXPECT_EQ(LinuxDevice::versionFromRelease("6.1.0-18-amd64"), "6.1.0");
  EXPECT_EQ(LinuxDevice::versionFromRelease("5.15.153.1-microsoft-standard-WSL2"), "5.15.153.1");
  EXPECT_EQ(LinuxDevice::versionFromRelease("6.8"), "6.8");
  EXPECT_EQ(LinuxDevice::versionFromRelease("4.19.rc1"), "4.19");
  EXPECT_EQ(LinuxDevice::versionFromRelease("6."), "6");
  EXPECT_EQ(LinuxDevice::versionFromRelease("custom"), "0");
  EXPECT_EQ(LinuxDevice::versionFromRelease(""), "0");
}

TEST(LinuxDeviceTest, ReportsADesktopWithTheIdiomItWasGiven) {
  LinuxDevice tablet(UserInterfaceIdiom::Pad);
  EXPECT_EQ(tablet.model(), "Linux desktop");
  EXPECT_EQ(tablet.systemName(), "Linux");
  EXPECT_EQ(tablet.userInterfaceIdiom(), UserInterfaceIdiom::Pad);
  EXPECT_EQ(tablet.systemVersion(), LinuxDevice::versionFromRelease(tablet.systemVersion()));
}

}  // namespace
}  // namespace platform::glib
