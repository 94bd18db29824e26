#pragma once

#include <cstddef>
#include <deque>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "adnetwork/AdNetwork.h"
#include "adnetwork/PathCounts.h"
#include "base/Error.h"

namespace adnetwork {

// Every request the network received, in memory and, when given a path, appended to that file as
// one JSON object a line: {"time", "method", "path", "query", "headers", "status", "fault"}.
// Lines are flushed as they are written, so a reader sees each request once it has been answered.
class RequestLog {
 public:
  using Entry = AdNetwork::LoggedRequest;

  // An empty path keeps the log in memory only. False (with the reason) when the file cannot be
  // opened for appending.
  bool open(const std::string& path, base::Error* error);
  // Keeps only the latest `entries` requests in memory (0: all of them); counts stay whole, as
  // PathCounts keeps them.
  void keepOnly(size_t entries) { kept_ = entries; }
  void add(Entry entry);

  const std::deque<Entry>& entries() const { return entries_; }
  size_t count(const std::string& path) const;

  // The entry as its JSON line (without the line break).
  static std::string jsonLine(const Entry& entry);

 private:
  std::deque<Entry> entries_;
  size_t kept_ = 0;
  PathCounts counts_;
  std::ofstream file_;
};

}  // namespace adnetwork
