#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The application's resources: files in one folder, found by name and type.
class Bundle {
 public:
  explicit Bundle(std::string resourcePath) : resourcePath_(std::move(resourcePath)) {}
  static Bundle& main();

  const std::string& resourcePath() const { return resourcePath_; }
  // "<resourcePath>/<name>.<type>" when that file exists; nothing otherwise.
  std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const;

 private:
  std::string resourcePath_;
};

}  // namespace platform
