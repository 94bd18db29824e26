#include "platform/storage/Bundle.h"

#include <sys/stat.h>

namespace platform {

std::optional<std::string> Bundle::pathForResource(std::string_view name,
                                                   std::string_view type) const {
  if (name.empty()) return std::nullopt;
  std::string path = resourcePath_ + "/" + std::string(name);
  if (!type.empty()) path.append(".").append(type);
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return path;
}

}  // namespace platform
