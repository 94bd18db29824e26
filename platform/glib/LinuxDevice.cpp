#include "platform/glib/LinuxDevice.h"

#include <sys/utsname.h>

#include <cctype>
#include <fstream>

namespace platform::glib {

namespace {

std::string kernelRelease() {
  struct utsname names {};
  if (uname(&names) != 0) return "";
  return names.release;
}

std::string machineId() {
  for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
    std::ifstream file(path);
    std::string id;
    if (file >> id) return id;
  }
  return "";
}

}  // namespace

LinuxDevice::LinuxDevice(UserInterfaceIdiom idiom)
    : idiom_(idiom),
      systemVersion_(versionFromRelease(kernelRelease())),
      uniqueIdentifier_(machineId()) {}

std::string LinuxDevice::versionFromRelease(std::string_view release) {
  std::string version;
  size_t i = 0;
  while (i < release.size()) {
    size_t start = i;
    while (i < release.size() && std::isdigit(static_cast<unsigned char>(release[i])))
      ++i;
    if (i == start) break;
    if (!version.empty()) version += '.';
    version.append(release.substr(start, i - start));
    if (i + 1 >= release.size() || release[i] != '.' ||
        !std::isdigit(static_cast<unsigned char>(release[i + 1])))
      break;
    ++i;
  }
  return version.empty() ? "0" : version;
}

}  // namespace platform::glib
