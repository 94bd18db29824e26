#include "adnetwork/PathCounts.h"

#include "adnetwork/Routes.h"

namespace adnetwork {

bool PathCounts::isFixedRoute(std::string_view path) {
  for (std::string_view route : {Routes::kScriptPath, Routes::kAdPath, Routes::kImpressionPath,
                                 Routes::kClickTrackingPath, Routes::kClickPath}) {
    if (path == route) return true;
  }
  return false;
}

void PathCounts::add(const std::string& path) {
  if (isFixedRoute(path)) {
    ++fixed_[path];
    return;
  }
  auto found = others_.find(path);
  if (found != others_.end()) {
    ++found->second;
  } else if (others_.size() < kMaximumPaths && path.size() <= kMaximumPathBytes &&
             path != kOtherPaths) {
    others_.emplace(path, 1);
  } else {
    ++otherPaths_;
  }
}

size_t PathCounts::count(const std::string& path) const {
  if (path == kOtherPaths) return otherPaths_;
  const auto& table = isFixedRoute(path) ? fixed_ : others_;
  auto found = table.find(path);
  return found == table.end() ? 0 : found->second;
}

}  // namespace adnetwork
