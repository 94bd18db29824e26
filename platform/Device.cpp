#include "platform/Device.h"

#include <sys/utsname.h>

namespace platform {

std::optional<std::string> Device::machineName() const {
  struct utsname names {};
  if (uname(&names) != 0) return std::nullopt;
  return std::string(names.machine);
}

}  // namespace platform
