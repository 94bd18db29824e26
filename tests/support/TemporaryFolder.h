#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace test_support {

// A new empty folder under the system's temporary folder, removed with all it holds when the
// object goes.
class TemporaryFolder {
 public:
  TemporaryFolder() : path_((std::filesystem::temp_directory_path() / "tad-XXXXXX").string()) {
    if (!::mkdtemp(path_.data())) path_.clear();
  }
  ~TemporaryFolder() {
    if (!path_.empty()) std::filesystem::remove_all(path_);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  // Empty when no folder could be made.
  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

}  // namespace test_support
