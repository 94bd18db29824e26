#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "adnetwork/AdNetwork.h"
#include "adnetwork/PathCounts.h"
#include "base/Error.h"
#include "base/Expected.h"

namespace adnetwork {

// Every request the network received, in memory and, when given a path, appended to that file as
// one JSON object a line: {"time", "method", "path", "query", "headers", "status", "fault",
// "nonPersonalised"}, where
// "time" is the wall-clock time the request was logged at, in UTC ("2026-12-07T10:24:35.123Z"), so
// that lines from different runs and other logs can be put side by side.
// Lines are flushed as they are written, so a reader sees each request once it has been answered.
class RequestLog {
 public:
  using Entry = AdNetwork::LoggedRequest;

  // An empty path keeps the log in memory only. The error when the file cannot be opened for
  // appending.
  base::Expected<void> open(const std::string& path);
  // Keeps only the latest `entries` requests in memory (0: all of them); counts stay whole, as
  // PathCounts keeps them.
  void keepOnly(size_t entries) { kept_ = entries; }
  void add(Entry entry);

  const std::deque<Entry>& entries() const { return entries_; }
  size_t count(const std::string& path) const;

  // The entry as its JSON line (without the line break), logged at unixMicroseconds.
  static std::string jsonLine(const Entry& entry, int64_t unixMicroseconds);
  // ISO 8601 in UTC with milliseconds ("YYYY-MM-DDTHH:MM:SS.mmmZ") for microseconds since
  // 1970-01-01T00:00:00Z; the milliseconds are cut, not rounded, so a time never reads later than
  // it was.
  static std::string isoTime(int64_t unixMicroseconds);

 private:
  std::deque<Entry> entries_;
  size_t kept_ = 0;
  PathCounts counts_;
  std::ofstream file_;
};

}  // namespace adnetwork
