#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "platform/glib/GlibClock.h"
#include "platform/glib/LinuxDevice.h"
#include "platform/glib/LinuxLocale.h"
#include "platform/sim/SimPlatform.h"

namespace platform::glib {
namespace {

TEST(GlibClockTest, DatesCountFromTheReferenceDateAndBootsHaveNames) {
  GlibClock clock;
  double expected = static_cast<double>(std::time(nullptr)) - base::Date::kUnixEpochOffset;
  EXPECT_NEAR(clock.now().timeIntervalSinceReferenceDate(), expected, 2);

  // The boot is named by the kernel's identifier.
  std::filesystem::path file = std::filesystem::path(::testing::TempDir()) / "quillbeck-boot-id";
  std::ofstream(file) << "4a1f0c2e-0000-4000-8000-000000000001\n";
  EXPECT_EQ(GlibClock::readBootIdentifier(file.string()), "4a1f0c2e-0000-4000-8000-000000000001");
  EXPECT_EQ(GlibClock::readBootIdentifier("/nonexistent"), "");
  EXPECT_EQ(GlibClock().bootIdentifier(), GlibClock::readBootIdentifier());
}

TEST(LinuxDeviceTest, TheSystemVersionIsTheDottedPartOfTheKernelRelease) {
  EXPECT_EQ(LinuxDevice::versionFromRelease("6.1.0-18-amd64"), "6.1.0");
  EXPECT_EQ(LinuxDevice::versionFromRelease("5.15.153.1-microsoft-standard-WSL2"), "5.15.153.1");
  EXPECT_EQ(LinuxDevice::versionFromRelease("6.8"), "6.8");
  EXPECT_EQ(LinuxDevice::versionFromRelease("4.19.rc1"), "4.19");
  EXPECT_EQ(LinuxDevice::versionFromRelease("6."), "6");
  EXPECT_EQ(LinuxDevice::versionFromRelease("custom"), "0");
  EXPECT_EQ(LinuxDevice::versionFromRelease(""), "0");
  // The running kernel's release, read through the same rule.
  LinuxDevice device(UserInterfaceIdiom::Pad);
  EXPECT_EQ(device.systemVersion(), LinuxDevice::versionFromRelease(device.systemVersion()));
}

TEST(LinuxDeviceTest, TheIdentifierIsTheMachineIdKeyedForTheApplicationOrOneMadeOnceAndKept) {
  sim::SimPlatform platform;  // for its user defaults
  std::filesystem::path file = std::filesystem::path(::testing::TempDir()) / "quillbeck-machine-id";
  std::ofstream(file) << "0123abcd0123abcd0123abcd0123abcd\n";
  // HMAC-SHA256 under the application's key, worked out apart from the code.
  EXPECT_EQ(
      LinuxDevice(UserInterfaceIdiom::Phone, {"/nonexistent", file.string()}).uniqueIdentifier(),
      "200063668268e6c91700ef054123e1158a226b65b1db49e6c42b3c70a9627fad");

  LinuxDevice withoutMachineId(UserInterfaceIdiom::Phone, {"/nonexistent"});
  std::string made = withoutMachineId.uniqueIdentifier();
  EXPECT_EQ(made.size(), 32u);
  EXPECT_EQ(made.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(withoutMachineId.uniqueIdentifier(), made);
  EXPECT_EQ(LinuxDevice(UserInterfaceIdiom::Pad, {"/nonexistent"}).uniqueIdentifier(), made);
  EXPECT_EQ(platform.userDefaults().stringForKey(LinuxDevice::kIdentifierKey), made);
}

TEST(LinuxLocaleTest, LocaleNamesBecomeLanguageTagsInOrder) {
  EXPECT_EQ(LinuxLocale::languagesFromLocaleNames(
                {"de_CH.UTF-8@euro", "de_CH", "de.UTF-8", "de", "C.UTF-8", "C", "POSIX"}),
            (std::vector<std::string>{"de-CH", "de"}));
  EXPECT_EQ(LinuxLocale::languagesFromLocaleNames({"zh_Hans_CN", "C"}),
            (std::vector<std::string>{"zh-Hans-CN"}));
  EXPECT_TRUE(LinuxLocale::languagesFromLocaleNames({"C", ""}).empty());
}

}  // namespace
}  // namespace platform::glib
