#include "platform/gtk/GtkWebProcess.h"

#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace platform::gtk {

namespace {

constexpr std::string_view kWebProcessName = "WebKitWebProcess";

// The fields of a stat line after the command's name, which may hold blanks and parentheses;
// the first is the state (field 3 of the line).
std::optional<std::string> statFields(const std::string& path, std::string* name = nullptr) {
  std::ifstream file(path);
  std::string line;
  if (!std::getline(file, line)) return std::nullopt;
  size_t open = line.find('(');
  size_t close = line.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close + 2 > line.size())
    return std::nullopt;
  if (name) *name = line.substr(open + 1, close - open - 1);
  return line.substr(close + 2);
}

}  // namespace

// The kernel lists each thread's children (/proc/self/task/TID/children): a few short reads, where
// going through /proc reads the state of every process of the machine, twice for each ad's page.
std::set<pid_t> GtkWebProcess::running() {
  std::set<pid_t> processes;
  DIR* tasks = opendir("/proc/self/task");
  if (!tasks) return processes;
  while (const dirent* task = readdir(tasks)) {
    if (task->d_name[0] == '.') continue;
    std::ifstream children("/proc/self/task/" + std::string(task->d_name) + "/children");
    pid_t pid = 0;
    while (children >> pid)
      if (isRunning(pid)) processes.insert(pid);
  }
  closedir(tasks);
  return processes;
}

bool GtkWebProcess::isRunning(pid_t pid) {
  std::string name;
  std::optional<std::string> fields = statFields("/proc/" + std::to_string(pid) + "/stat", &name);
  // The kernel cuts names to 15 characters.
  return fields && !fields->starts_with('Z') && !name.empty() && kWebProcessName.starts_with(name);
}

std::optional<pid_t> GtkWebProcess::startedBy(const std::function<void()>& load) {
  std::set<pid_t> before = running();
  load();
  std::optional<pid_t> started;
  for (pid_t pid : running()) {
    if (before.contains(pid)) continue;
    if (started) return std::nullopt;
    started = pid;
  }
  return started;
}

std::optional<double> GtkWebProcess::mainThreadSeconds(pid_t pid) {
  std::string task = std::to_string(pid);
  return processorSeconds("/proc/" + task + "/task/" + task + "/stat");
}

std::optional<double> GtkWebProcess::processSeconds(pid_t pid) {
  return processorSeconds("/proc/" + std::to_string(pid) + "/stat");
}

std::optional<double> GtkWebProcess::processorSeconds(const std::string& statPath) {
  std::optional<std::string> fields = statFields(statPath);
  if (!fields) return std::nullopt;
  // utime and stime are fields 14 and 15 of the line: the 12th and 13th after the name.
  std::istringstream in(*fields);
  std::string skipped;
  for (int i = 0; i < 11; ++i)
    in >> skipped;
  unsigned long long user = 0;
  unsigned long long system = 0;
  if (!(in >> user >> system)) return std::nullopt;
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::optional<long> GtkWebProcess::residentBytes(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/statm");
  long size = 0;
  long resident = 0;
  if (!(file >> size >> resident)) return std::nullopt;
  return resident * sysconf(_SC_PAGESIZE);
}

std::optional<long> GtkWebProcess::privateResidentBytes(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/statm");
  long size = 0;
  long resident = 0;
  long shared = 0;
  if (!(file >> size >> resident >> shared)) return std::nullopt;
  return (resident - shared) * sysconf(_SC_PAGESIZE);
}

}  // namespace platform::gtk
