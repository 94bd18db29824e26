#include "ads/Network/TADCachePath.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace {

// FNV-1a: the same value for the same text in every run, on every machine.
uint32_t stableHash(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

// The host as a folder name, unless it could lead out of the caches folder or trouble the file
// system: only letters, digits and ".-_:" (the last for IP literals), and never "." or "..".
std::string hostFolder(std::string_view host) {
  constexpr size_t kLongestName = 255;
  bool safe = !host.empty() && host.size() <= kLongestName && host != "." && host != "..";
  for (char c : host) {
    bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '.' || c == '-' || c == '_' || c == ':';
    safe = safe && allowed;
  }
  return safe ? std::string(host) : std::string(TADCachePath::kUnnamedHostFolder);
}

}  // namespace

std::string TADCachePath::pathForURL(const std::string& caches, const base::URL& url) {
  char name[16];
  std::snprintf(name, sizeof name, "/%x", stableHash(url.absoluteString()));
  return caches + "/" + hostFolder(url.host()) + name;
}
