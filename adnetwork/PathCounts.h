#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace adnetwork {

// How many requests each path had, in bounded memory whatever paths clients make up. The paths
// of the network's fixed routes (the page script, ad pages, tracking, the click address) are
// always counted on their own. Other paths are counted on their own while fewer than
// kMaximumPaths of them have been seen and each is at most kMaximumPathBytes long; requests for
// any further path are counted together under kOtherPaths (a request for "*" itself among them).
class PathCounts {
 public:
  static constexpr size_t kMaximumPaths = 256;
  static constexpr size_t kMaximumPathBytes = 256;
  static constexpr char kOtherPaths[] = "*";

  void add(const std::string& path);
  size_t count(const std::string& path) const;

 private:
  static bool isFixedRoute(std::string_view path);

  std::unordered_map<std::string, size_t> fixed_;
  std::unordered_map<std::string, size_t> others_;
  size_t otherPaths_ = 0;
};

}  // namespace adnetwork
