#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <set>
#include <string>

namespace platform::gtk {

// WebKit's web processes as the kernel shows them (/proc): children of this program named
// "WebKitWebProcess". WebKit does not say which process runs a view's pages, but it starts the
// process of a view that has none inside the load call that needs it, so a process that appears
// during that call is the view's.
class GtkWebProcess {
 public:
  // The web processes of this program that are running now.
  static std::set<pid_t> running();
  // Whether pid is still one of them (not ended, not waiting to be reaped).
  static bool isRunning(pid_t pid);
  // Runs load and answers the one web process that it started, if it started exactly one.
  static std::optional<pid_t> startedBy(const std::function<void()>& load);
  // Seconds of processor time that the main thread of process pid has used (the thread that runs
  // its pages' scripts, layout and drawing), or none when it has gone.
  static std::optional<double> mainThreadSeconds(pid_t pid);
  // The same for all its threads (pid may be any process).
  static std::optional<double> processSeconds(pid_t pid);
  // Its resident memory in bytes, or none when it has gone.
  static std::optional<long> residentBytes(pid_t pid);
  // What of that is its own, not pages of the files it maps (libraries, fonts): its heap and
  // stacks, which is what grows when a page takes memory.
  static std::optional<long> privateResidentBytes(pid_t pid);

 private:
  static std::optional<double> processorSeconds(const std::string& statPath);
};

}  // namespace platform::gtk
