#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The application's resources (files in one folder, found by name and type) and its identity:
// a reverse-DNS identifier and, when the application declares one, a version text.
class Bundle {
 public:
  explicit Bundle(std::string resourcePath) : resourcePath_(std::move(resourcePath)) {}
  static Bundle& main();

  const std::string& resourcePath() const { return resourcePath_; }
  const std::string& bundleIdentifier() const { return identifier_; }
  void setBundleIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
  const std::optional<std::string>& bundleVersion() const { return version_; }
  void setBundleVersion(std::optional<std::string> version) { version_ = std::move(version); }
  // "<resourcePath>/<name>.<type>" when that file exists; nothing otherwise.
  std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const;

 private:
  std::string resourcePath_;
  std::string identifier_;
  std::optional<std::string> version_;
};

}  // namespace platform
