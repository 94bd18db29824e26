#pragma once

#include <string>
#include <string_view>

#include "base/URL.h"

// Where a cached file's local copy lives: <caches>/<folder>/<name>, where <name> is the SHA-256
// digest of the URL's complete text in lower-case hexadecimal (64 characters), so that a copy
// stored by an earlier run is found again and no two URLs can be made to share a copy.
//
// <folder> is the URL's host for everything an ad can make the library fetch. A host that is no
// safe folder name gets the folder "_unnamed-host" instead. The page script's copy has a folder
// of its own, whose name no host folder can have ('@' is never part of one): whatever the URL, no
// fetch but the page script's own can name its copy. Either way the path is a file two levels
// below the caches folder.
class TADCachePath {
 public:
  TADCachePath() = delete;

  static constexpr const char* kUnnamedHostFolder = "_unnamed-host";
  static constexpr const char* kPageScriptFolder = "@page-script";

  // Empty, like nameForURL, when the digest cannot be made: then there is no copy at all.
  static std::string pathForURL(const std::string& caches, const base::URL& url);
  static std::string pageScriptPathForURL(const std::string& caches, const base::URL& url);
  // The copy's file name: 64 lower-case hexadecimal digits; empty should libcrypto fail.
  static std::string nameForURL(const base::URL& url);
  // Whether a file name is one an earlier version gave its copies: a 32-bit hash of the URL in
  // lower-case hexadecimal without leading zeros. Such a copy is never read again.
  static bool isStaleName(std::string_view name);
  // Whether a file name is one nameForURL gives: 64 lower-case hexadecimal digits.
  static bool isCopyName(std::string_view name);
};
