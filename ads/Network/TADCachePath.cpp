#include "ads/Network/TADCachePath.h"

#include <openssl/evp.h>

#include <algorithm>

namespace {

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

bool isLowerHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

}  // namespace

std::string TADCachePath::nameForURL(const base::URL& url) {
  const std::string& text = url.absoluteString();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha256(), nullptr) != 1) return {};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string name;
  name.reserve(2 * length);
  for (unsigned int i = 0; i < length; ++i) {
    name += kDigits[digest[i] >> 4];
    name += kDigits[digest[i] & 0xf];
  }
  return name;
}

std::string TADCachePath::pathForURL(const std::string& caches, const base::URL& url) {
  std::string name = nameForURL(url);
  return name.empty() ? name : caches + "/" + hostFolder(url.host()) + "/" + name;
}

std::string TADCachePath::pageScriptPathForURL(const std::string& caches, const base::URL& url) {
  std::string name = nameForURL(url);
  return name.empty() ? name : caches + "/" + kPageScriptFolder + "/" + name;
}

bool TADCachePath::isStaleName(std::string_view name) {
  constexpr size_t kLongestStaleName = 8;
  return !name.empty() && name.size() <= kLongestStaleName &&
         (name.size() == 1 || name.front() != '0') && std::ranges::all_of(name, isLowerHexDigit);
}

bool TADCachePath::isCopyName(std::string_view name) {
  constexpr size_t kDigestDigits = 64;
  return name.size() == kDigestDigits && std::ranges::all_of(name, isLowerHexDigit);
}
