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
  std::optional<std::string> machineName() const override { return machineName_; }

  void setModel(std::string model) { model_ = std::move(model); }
  void setSystemVersion(std::string version) { systemVersion_ = std::move(version); }
  void setUserInterfaceIdiom(std::optional<UserInterfaceIdiom> idiom) { idiom_ = idiom; }
  void setUniqueIdentifier(std::string identifier) { uniqueIdentifier_ = std::move(identifier); }
  // Nothing: the device cannot name its hardware.
  void setMachineName(std::optional<std::string> name) { machineName_ = std::move(name); }

 private:
  std::string model_ = "iPhone";
  std::string systemName_ = "Simulated OS";
  std::string systemVersion_ = "4.2.1";
  std::optional<UserInterfaceIdiom> idiom_ = UserInterfaceIdiom::Phone;
  std::string uniqueIdentifier_ = "0123456789abcdef0123456789abcdef01234567";
  std::optional<std::string> machineName_ = "iPhone3,1";
};

}  // namespace platform::sim
