// Turns arbitrary text, read as a URL, into the path of its cached copy. Whatever the host or
// the rest of the URL holds, the path must be a file two levels below the caches folder, with no
// segment that could lead elsewhere, never in the page script's folder, named by 64 hexadecimal
// digits, and the same URL must always give the same path.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "ads/Network/TADCachePath.h"
#include "base/URL.h"

namespace {

const std::string kCaches = "/var/cache/fuzz.example";

void require(bool condition, const char* what, std::string_view input, const std::string& path) {
  if (condition) return;
  std::fprintf(stderr, "%s\ninput: %.*s\npath: %s\n", what, int(input.size()), input.data(),
               path.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::optional<base::URL> url = base::URL::fromString(input);
  if (!url) return 0;
  std::string path = TADCachePath::pathForURL(kCaches, *url);
  require(path.starts_with(kCaches + "/"), "the path is not under the caches folder", input, path);
  std::filesystem::path relative = std::filesystem::path(path.substr(kCaches.size() + 1));
  size_t segments = 0;
  for (const auto& segment : relative) {
    ++segments;
    require(segment != "." && segment != ".." && !segment.empty(),
            "a segment of the path could lead elsewhere", input, path);
  }
  require(segments == 2, "the path is not a file in a host folder", input, path);
  require(*relative.begin() != TADCachePath::kPageScriptFolder,
          "the path is in the page script's folder", input, path);
  std::string name = relative.filename().string();
  require(name.size() == 64 && name.find_first_not_of("0123456789abcdef") == std::string::npos,
          "the name is no SHA-256 digest in hexadecimal", input, path);
  require(path.find('\0') == std::string::npos, "the path holds a NUL", input, path);
  require(std::filesystem::path(path).lexically_normal() == std::filesystem::path(path),
          "the path is not in its normal form", input, path);
  require(TADCachePath::pathForURL(kCaches, *url) == path, "the same URL gave another path", input,
          path);
  return 0;
}
