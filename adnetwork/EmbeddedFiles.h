#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace adnetwork {

// The files of adnetwork/ that the network serves (the page script, the creatives and their
// manifest), built into the binary so that a program embeds the network without finding files at
// run time. Paths are relative to adnetwork/: "sdk-core-v40.js", "creatives/landing/ad.html".
class EmbeddedFiles {
 public:
  EmbeddedFiles() = delete;

  // The file's bytes, or none for a path that was not built in.
  static std::optional<std::string_view> find(std::string_view path);
  static std::vector<std::string_view> paths();
};

namespace detail {
// Written at build time by EmbedFiles.cmake.
struct EmbeddedEntry {
  const char* path;
  const unsigned char* bytes;
  size_t size;
};
extern const EmbeddedEntry kEmbeddedEntries[];
extern const size_t kEmbeddedEntryCount;
}  // namespace detail

}  // namespace adnetwork
