#include "tad/Log.h"

#include <glib.h>

#include <string_view>
#include <utility>

#include "base/Log.h"
#include "library/LogRoute.h"

namespace tad {

namespace {

LogWriter& programWriter() {
  static LogWriter writer;
  return writer;
}

LogLevel publicLevel(base::Log::Level level) {
  switch (level) {
    case base::Log::Level::Critical:
      return LogLevel::Critical;
    case base::Log::Level::Warning:
      return LogLevel::Warning;
    case base::Log::Level::Message:
      return LogLevel::Message;
    case base::Log::Level::Info:
      break;
  }
  return LogLevel::Info;
}

void writeRecord(base::Log::Level level, base::Log::Source source, std::string_view text) {
  LogRecord record{publicLevel(level),
                   source == base::Log::Source::Page ? LogSource::Page : LogSource::Library,
                   std::string(text)};
  const LogWriter& writer = programWriter();
  if (writer) {
    writer(record);
  } else {
    defaultLogWriter(record);
  }
}

// GLib's own mapping of its levels onto syslog priorities, which the journal reads.
const char* priorityOf(LogLevel level) {
  switch (level) {
    case LogLevel::Critical:
    case LogLevel::Warning:
      return "4";
    case LogLevel::Message:
      return "5";
    case LogLevel::Info:
      break;
  }
  return "6";
}

constexpr const char* kDomain = "Tad";

static_assert(static_cast<int>(LogLevel::Critical) == G_LOG_LEVEL_CRITICAL &&
              static_cast<int>(LogLevel::Warning) == G_LOG_LEVEL_WARNING &&
              static_cast<int>(LogLevel::Message) == G_LOG_LEVEL_MESSAGE &&
              static_cast<int>(LogLevel::Info) == G_LOG_LEVEL_INFO);

}  // namespace

void routeLibraryLog() {
  [[maybe_unused]] static const bool routed = (base::Log::setWriter(writeRecord), true);
}

void setLogWriter(LogWriter writer) {
  routeLibraryLog();
  programWriter() = std::move(writer);
}

void defaultLogWriter(const LogRecord& record) {
  if (record.level == LogLevel::Critical) {
    g_log(kDomain, G_LOG_LEVEL_CRITICAL, "%s", record.text.c_str());
    return;
  }
  base::Log::writeToStandardError(record.text);
}

void glibLogWriter(const LogRecord& record) {
  const GLogField fields[] = {
      {"GLIB_DOMAIN", kDomain, -1},
      {"PRIORITY", priorityOf(record.level), -1},
      {"MESSAGE", record.text.c_str(), -1},
      {"TAD_SOURCE", record.source == LogSource::Page ? "page" : "library", -1},
  };
  g_log_structured_array(static_cast<GLogLevelFlags>(record.level), fields, G_N_ELEMENTS(fields));
}

}  // namespace tad
