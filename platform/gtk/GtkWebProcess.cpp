#include "platform/gtk/GtkWebProcess.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
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

std::set<pid_t> GtkWebProcess::running() {
  std::set<pid_t> processes;
  DIR* proc = opendir("/proc");
  if (!proc) return processes;
  const pid_t self = getpid();
  while (const dirent* entry = readdir(proc)) {
    char* end = nullptr;
    long pid = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || pid <= 0) continue;
    std::string name;
    std::optional<std::string> fields =
        statFields("/proc/" + std::string(entry->d_name) + "/stat", &name);
    if (!fields) continue;
    std::istringstream in(*fields);
    char state = 0;
    long parent = 0;
    in >> state >> parent;
    // The kernel cuts names to 15 characters.
    if (parent == self && state != 'Z' && kWebProcessName.starts_with(name) && !name.empty())
      processes.insert(static_cast<pid_t>(pid));
  }
  closedir(proc);
  return processes;
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

}  // namespace platform::gtk
