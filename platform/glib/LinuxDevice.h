#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Device.h"

namespace platform::glib {

// The Linux machine the program runs on. It reports itself as a "Linux desktop" running "Linux" at
// the kernel's release, as the dotted version the library expects; its interface idiom is the
// one the program was asked to show (a phone or a tablet screen). Its unique identifier is this
// application's own identifier of the machine: the HMAC-SHA256 of the machine id (/etc/machine-id)
// under a key of the application's, in hexadecimal, since the machine id itself must not leave
// the machine and other programs must not be able to match ours to theirs. Where the system has
// no machine id, it is a random identifier made once and kept in the user defaults under
// kIdentifierKey.
class LinuxDevice : public Device {
 public:
  // machineIdFiles: where to look for the machine id, first match wins.
  explicit LinuxDevice(UserInterfaceIdiom idiom = UserInterfaceIdiom::Phone,
                       std::vector<std::string> machineIdFiles = {"/etc/machine-id",
                                                                  "/var/lib/dbus/machine-id"});

  std::string model() const override { return "Linux desktop"; }
  std::string systemName() const override { return "Linux"; }
  std::string systemVersion() const override { return systemVersion_; }
  std::optional<UserInterfaceIdiom> userInterfaceIdiom() const override { return idiom_; }
  std::string uniqueIdentifier() const override;

  static constexpr std::string_view kIdentifierKey = "quillbeck.uniqueIdentifier";

  // The leading dotted numbers of a kernel release: "6.1.0-18-amd64" gives "6.1.0"; text that does
  // not start with a number gives "0".
  static std::string versionFromRelease(std::string_view release);
  // 64 lower-case hexadecimal digits: the machine id keyed for this application.
  static std::string applicationIdentifierForMachineId(std::string_view machineId);

 private:
  UserInterfaceIdiom idiom_;
  std::string systemVersion_;
  std::string machineId_;
};

}  // namespace platform::glib
