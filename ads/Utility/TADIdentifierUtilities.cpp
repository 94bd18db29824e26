#include "ads/Utility/TADIdentifierUtilities.h"

#include <cstdlib>
#include <string_view>

#include "platform/Device.h"

TADIdentifierUtilities& TADIdentifierUtilities::sharedInstance() {
  static TADIdentifierUtilities instance;
  return instance;
}

std::string TADIdentifierUtilities::osVersion() const {
  return platform::Device::current().systemVersion();
}

namespace {

// The leading decimal integer of piece, as a C library integer reading gives it.
int32_t leadingInteger(std::string_view piece) {
  std::string text(piece);
  return static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

}  // namespace

void TADIdentifierUtilities::getOSMajor(int32_t* major, int32_t* minor, int32_t* bugFix) const {
  std::string version = osVersion();
  int32_t numbers[3] = {0, 0, 0};
  size_t start = 0;
  for (int32_t& number : numbers) {
    size_t dot = version.find('.', start);
    size_t length = dot == std::string::npos ? std::string::npos : dot - start;
    number = leadingInteger(std::string_view(version).substr(start, length));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (major) *major = numbers[0];
  if (minor) *minor = numbers[1];
  if (bugFix) *bugFix = numbers[2];
}

bool TADIdentifierUtilities::isOSAtLeastMajor(int32_t major, int32_t minor, int32_t bug) const {
  int32_t have[3];
  getOSMajor(&have[0], &have[1], &have[2]);
  if (have[0] != major) return have[0] > major;
  if (have[1] != minor) return have[1] > minor;
  return have[2] >= bug;
}

base::Dictionary TADIdentifierUtilities::parameters() const {
  return {};
}
