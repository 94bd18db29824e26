#include "bench/ProcessMemory.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

// A field of the process's status in kilobytes, 0 when the process has gone.
long statusKilobytes(const std::string& pid, const std::string& field = "VmRSS:") {
  std::ifstream status("/proc/" + pid + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
  }
  return 0;
}

// Every process's parent, read from its stat line (the name in parentheses may hold anything).
std::map<std::string, std::string> parents() {
  std::map<std::string, std::string> parentOf;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::string pid = entry.path().filename();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    size_t close = text.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    int parent = 0;
    if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &parent) == 2) {
      parentOf[pid] = std::to_string(parent);
    }
  }
  return parentOf;
}

}  // namespace

ResidentMemory residentMemory() {
  std::map<std::string, std::string> parentOf = parents();
  std::string self = std::to_string(::getpid());
  ResidentMemory result{statusKilobytes(self), statusKilobytes(self, "RssAnon:"), 0};
  for (const auto& [pid, parent] : parentOf) {
    for (std::string up = parent; up != "0" && parentOf.contains(up); up = parentOf[up]) {
      if (up == self) {
        result.children += statusKilobytes(pid);
        break;
      }
    }
  }
  return result;
}
