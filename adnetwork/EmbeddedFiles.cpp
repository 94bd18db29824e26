#include "adnetwork/EmbeddedFiles.h"

namespace adnetwork {

std::optional<std::string_view> EmbeddedFiles::find(std::string_view path) {
  for (size_t i = 0; i < detail::kEmbeddedEntryCount; ++i) {
    const detail::EmbeddedEntry& entry = detail::kEmbeddedEntries[i];
    if (path == entry.path) {
      return std::string_view(reinterpret_cast<const char*>(entry.bytes), entry.size);
    }
  }
  return std::nullopt;
}

std::vector<std::string_view> EmbeddedFiles::paths() {
  std::vector<std::string_view> paths;
  for (size_t i = 0; i < detail::kEmbeddedEntryCount; ++i) {
    paths.emplace_back(detail::kEmbeddedEntries[i].path);
  }
  return paths;
}

}  // namespace adnetwork
