#pragma once

#include <string>

#include "base/URL.h"

// Where a cached file's local copy lives: <caches>/<host>/<hash>, where <hash> is a stable 32-bit
// hash of the URL text in lower-case hexadecimal, so that a copy stored by an earlier run is found
// again. A host that is no safe folder name gets the folder "_unnamed-host" instead: whatever the
// URL, the path is a file two levels below the caches folder.
class TADCachePath {
 public:
  TADCachePath() = delete;

  static constexpr const char* kUnnamedHostFolder = "_unnamed-host";

  static std::string pathForURL(const std::string& caches, const base::URL& url);
};
