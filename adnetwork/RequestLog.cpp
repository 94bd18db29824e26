#include "adnetwork/RequestLog.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <glib.h>

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

base::Expected<void> RequestLog::open(const std::string& path) {
  if (path.empty()) return {};
  file_.open(path, std::ios::app);
  if (file_) return {};
  return base::Error::withDescription("adnetwork.log", errno,
                                      "cannot append to " + path + ": " + std::strerror(errno));
}

void RequestLog::add(Entry entry) {
  if (file_.is_open()) file_ << jsonLine(entry, g_get_real_time()) << '\n' << std::flush;
  counts_.add(entry.path);
  entries_.push_back(std::move(entry));
  if (kept_ > 0 && entries_.size() > kept_) entries_.pop_front();
}

size_t RequestLog::count(const std::string& path) const {
  return counts_.count(path);
}

std::string RequestLog::isoTime(int64_t unixMicroseconds) {
  constexpr int64_t kPerSecond = 1000000;
  int64_t seconds = unixMicroseconds / kPerSecond;
  int64_t micros = unixMicroseconds % kPerSecond;
  if (micros < 0) {  // before 1970: the second before, and the part of it after
    --seconds;
    micros += kPerSecond;
  }
  std::time_t whole = static_cast<std::time_t>(seconds);
  std::tm utc{};
  if (!gmtime_r(&whole, &utc)) return {};
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(micros / 1000));
  return text;
}

std::string RequestLog::jsonLine(const Entry& entry, int64_t unixMicroseconds) {
  const std::string time = isoTime(unixMicroseconds);
  base::Dictionary line{
      {"time", base::Value(time)},
      {"method", base::Value(entry.method)},
      {"path", base::Value(entry.path)},
      {"query", base::Value(dictionaryOf(entry.query))},
      {"headers", base::Value(dictionaryOf(entry.headers))},
      {"status", base::Value(entry.status)},
      {"fault", base::Value(entry.fault)},
      {"nonPersonalised", base::Value(entry.nonPersonalised)},
  };
  // Texts that are not UTF-8 (a query of raw bytes) cannot be written; the line then says so
  // rather than going missing.
  TAD_VeskJSON writer;
  if (auto text = writer.stringWithObject(base::Value(std::move(line)))) return *text;
  base::Dictionary fallback{{"time", base::Value(time)},
                            {"method", base::Value(entry.method)},
                            {"status", base::Value(entry.status)},
                            {"unwritable", base::Value(true)}};
  return writer.stringWithObject(base::Value(std::move(fallback))).value_or("{}");
}

}  // namespace adnetwork
