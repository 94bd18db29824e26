#pragma once

#include <optional>
#include <string>

#include "platform/Device.h"

namespace platform::sim {

// A device whose every fact a test can set; by default an iPhone on system 4.2.1.
class SimDevice : public Device {
 public:
  std::string model() const override { return model_; }
  std::string systemName() const override { return systemName_; }
  std::string systemVersion() const override { return systemVersion_; }
  std::optional<UserInterfaceIdiom> userInterfaceIdiom() const override { return idiom_; }
  std::string uniqueIdentifier() const override { return uniqueIdentifier_; }

  void setModel(std::string model) { model_ = std::move(model); }
  void setSystemVersion(std::string version) { systemVersion_ = std::move(version); }
  void setUserInterfaceIdiom(std::optional<UserInterfaceIdiom> idiom) { idiom_ = idiom; }
  void setUniqueIdentifier(std::string identifier) { uniqueIdentifier_ = std::move(identifier); }

 private:
  std::string model_ = "iPhone";
  std::string systemName_ = "iPhone OS";
  std::string systemVersion_ = "4.2.1";
  std::optional<UserInterfaceIdiom> idiom_ = UserInterfaceIdiom::Phone;
  std::string uniqueIdentifier_ = "0123456789abcdef0123456789abcdef01234567";
};

}  // namespace platform::sim
