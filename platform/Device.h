#pragma once

#include <optional>
#include <string>

namespace platform {

enum class UserInterfaceIdiom { Phone = 0, Pad = 1 };

// Facts about the device the program runs on. A fact the platform cannot report is absent.
class Device {
 public:
  virtual ~Device() = default;
  static Device& current();

  virtual std::string model() const = 0;  // "iPhone", "iPad", "Linux desktop"…
  virtual std::string systemName() const = 0;
  virtual std::string systemVersion() const = 0;  // dotted version text, e.g. "4.2.1"
  // Absent where the system predates interface idioms.
  virtual std::optional<UserInterfaceIdiom> userInterfaceIdiom() const = 0;
  virtual std::string uniqueIdentifier() const = 0;
  // The hardware's machine name ("iPhone3,1", "x86_64"); by default uname's machine field, absent
  // when uname fails.
  virtual std::optional<std::string> machineName() const;
};

}  // namespace platform
