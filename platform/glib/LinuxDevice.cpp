#include "platform/glib/LinuxDevice.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/utsname.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <random>

#include "platform/storage/UserDefaults.h"

namespace platform::glib {

namespace {

// Made up for this application and never changed: every identifier it has handed out derives
// from it.
constexpr unsigned char kMachineIdKey[] = {0xcd, 0x8a, 0x0f, 0xd0, 0x48, 0x66, 0x97, 0xeb,
                                           0x51, 0xfe, 0x9e, 0x44, 0xbc, 0x90, 0xb1, 0x76};

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

std::string LinuxDevice::applicationIdentifierForMachineId(std::string_view machineId) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!HMAC(EVP_sha256(), kMachineIdKey, sizeof kMachineIdKey,
            reinterpret_cast<const unsigned char*>(machineId.data()), machineId.size(), digest,
            &length)) {
    return "";
  }
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

LinuxDevice::LinuxDevice(UserInterfaceIdiom idiom, std::vector<std::string> machineIdFiles)
    : idiom_(idiom),
      systemVersion_(versionFromRelease(kernelRelease())),
      machineId_(machineId(machineIdFiles)) {}

std::string LinuxDevice::uniqueIdentifier() const {
  if (!machineId_.empty()) {
    std::string keyed = applicationIdentifierForMachineId(machineId_);
    if (!keyed.empty()) return keyed;
  }
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
