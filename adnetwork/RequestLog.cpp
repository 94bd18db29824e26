#include "adnetwork/RequestLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "json/TAD_VeskJSON.h"

namespace adnetwork {

namespace {

base::Dictionary dictionaryOf(const std::map<std::string, std::string>& texts) {
  base::Dictionary dictionary;
  for (const auto& [key, value] : texts)
    dictionary.set(key, base::Value(value));
  return dictionary;
}

}  // namespace

bool RequestLog::open(const std::string& path, base::Error* error) {
  if (path.empty()) return true;
  file_.open(path, std::ios::app);
  if (file_) return true;
  if (error) {
    *error = base::Error::withDescription("adnetwork.log", errno,
                                          "cannot append to " + path + ": " + std::strerror(errno));
  }
  return false;
}

void RequestLog::add(Entry entry) {
  if (file_.is_open()) file_ << jsonLine(entry) << '\n' << std::flush;
  counts_.add(entry.path);
  entries_.push_back(std::move(entry));
  if (kept_ > 0 && entries_.size() > kept_) entries_.pop_front();
}

size_t RequestLog::count(const std::string& path) const {
  return counts_.count(path);
}

std::string RequestLog::jsonLine(const Entry& entry) {
  base::Dictionary line{
      {"time", base::Value(entry.time)},
      {"method", base::Value(entry.method)},
      {"path", base::Value(entry.path)},
      {"query", base::Value(dictionaryOf(entry.query))},
      {"headers", base::Value(dictionaryOf(entry.headers))},
      {"status", base::Value(entry.status)},
      {"fault", base::Value(entry.fault)},
  };
  // Texts that are not UTF-8 (a query of raw bytes) cannot be written; the line then says so
  // rather than going missing.
  TAD_VeskJSON writer;
  if (auto text = writer.stringWithObject(base::Value(std::move(line)))) return *text;
  base::Dictionary fallback{{"time", base::Value(entry.time)},
                            {"method", base::Value(entry.method)},
                            {"status", base::Value(entry.status)},
                            {"unwritable", base::Value(true)}};
  return writer.stringWithObject(base::Value(std::move(fallback))).value_or("{}");
}

}  // namespace adnetwork
