#include "platform/glib/LinuxDevice.h"

#include <sys/utsname.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <random>

#include "platform/UserDefaults.h"

namespace platform::glib {

namespace {

std::string kernelRelease() {
  struct utsname names {};
  if (uname(&names) != 0) return "";
  return names.release;
}

std::string machineId(const std::vector<std::string>& files) {
  for (const std::string& path : files) {
    std::ifstream file(path);
    std::string id;
    if (file >> id) return id;
  }
  return "";
}

}  // namespace

LinuxDevice::LinuxDevice(UserInterfaceIdiom idiom, std::vector<std::string> machineIdFiles)
    : idiom_(idiom),
      systemVersion_(versionFromRelease(kernelRelease())),
      machineId_(machineId(machineIdFiles)) {}

std::string LinuxDevice::uniqueIdentifier() const {
  if (!machineId_.empty()) return machineId_;
  UserDefaults& defaults = UserDefaults::standard();
  if (auto kept = defaults.stringForKey(kIdentifierKey); kept && !kept->empty()) return *kept;
  // 128 random bits as 32 hexadecimal digits, the form of a machine id.
  std::random_device source;
  std::string made;
  for (int i = 0; i < 4; ++i) {
    char word[9];
    std::snprintf(word, sizeof word, "%08x", static_cast<unsigned>(source()));
    made += word;
  }
  defaults.setObject(std::string(kIdentifierKey), made);
  defaults.synchronize();
  return made;
}

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
