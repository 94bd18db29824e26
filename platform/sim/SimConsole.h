#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Console.h"

namespace platform::sim {

// Keeps every console line for tests to read.
class SimConsole : public Console {
 public:
  void write(std::string_view line) override { lines_.emplace_back(line); }
  const std::vector<std::string>& lines() const { return lines_; }
  void clear() { lines_.clear(); }

 private:
  std::vector<std::string> lines_;
};

}  // namespace platform::sim
