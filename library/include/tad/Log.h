#pragma once

#include <functional>
#include <string>

#include "tad/Export.h"

namespace tad {

// Every line the library writes — its notes for the program's developer ("<Talvik> …", and the
// platform's notes such as "user defaults: …"), the console lines of the ad pages it shows, and
// criticals when the program misuses it — goes to one writer, which the program may replace to
// route or quiet them. Lines come on the thread of the loop the library runs on.
//
// A program that sets nothing sees them as they always were (defaultLogWriter). GLib offers no way
// to ask whether a program has installed its own log writer (g_log_set_writer_func), and installing
// one of the library's would forbid the program's, so the library cannot choose GLib's log for a
// program that wants it: such a program says so with setLogWriter(glibLogWriter).

// How much a line matters. The values are GLib's log level flags, so that a C caller can pass them
// on as GLogLevelFlags.
enum class LogLevel {
  // The program misused the library (a banner made with no host, …).
  Critical = 1 << 3,
  // Something inside the library went wrong and it stepped over it.
  Warning = 1 << 4,
  // The library's notes for the program's developer.
  Message = 1 << 5,
  // The console lines of ad pages.
  Info = 1 << 6,
};

// Whose words a line carries.
enum class LogSource {
  // The library's own.
  Library = 0,
  // An ad page's (a stranger's), escaped so that it can neither steer a terminal nor pass for the
  // library's, and cut and rate-limited.
  Page = 1,
};

struct LogRecord {
  LogLevel level = LogLevel::Message;
  LogSource source = LogSource::Library;
  // One line, without its newline.
  std::string text{};
};

using LogWriter = std::function<void(const LogRecord& record)>;

// Sends every line from now on to writer; an empty one restores defaultLogWriter. A writer that
// does nothing quiets the library; one that looks at the record and then calls defaultLogWriter or
// glibLogWriter filters. A line that the writer itself causes (by calling the library) goes to
// stderr as it is. Set it on the loop's thread, or before the loop runs.
TAD_EXPORT void setLogWriter(LogWriter writer);

// The lines as a program that sets nothing sees them: criticals as g_critical logs them, in the
// domain "Tad" (GLib shows them, G_DEBUG=fatal-criticals stops at them, g_log_set_handler and
// g_test_expect_message see them), every other line as it is on stderr.
TAD_EXPORT void defaultLogWriter(const LogRecord& record);

// Each line as a structured record of GLib's log, whatever writer the program has given GLib
// (g_log_set_writer_func; GLib's own writes to the journal when stderr is the journal's, else to
// stderr): the fields GLIB_DOMAIN "Tad", MESSAGE (the text), PRIORITY (the syslog priority of the
// level) and TAD_SOURCE ("library" or "page"). GLib's own writer then leaves out the pages' lines
// (level info) unless G_MESSAGES_DEBUG names "Tad" (or is "all").
TAD_EXPORT void glibLogWriter(const LogRecord& record);

}  // namespace tad
