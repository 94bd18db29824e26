#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tad/Export.h"

namespace tad {

// What the program wants from the ad server: whether it is testing, targeting hints and extra
// parameters. A value: copies are independent of each other.
class TAD_EXPORT Request {
 public:
  enum class Gender { Unknown = 0, Male = 1, Female = 2 };

  Request();
  ~Request();
  Request(const Request& other);
  Request& operator=(const Request& other);

  // Test ads instead of paid ones.
  void setTesting(bool testing);
  bool isTesting() const;
  // The device identifiers on which test ads are wanted.
  void setTestDevices(std::vector<std::string> devices);

  void setGender(Gender gender);
  // A Gregorian date: month 1–12, day 1–31.
  void setBirthday(int year, int month, int day);
  // Appends keyword; an empty one is ignored.
  void addKeyword(const std::string& keyword);
  std::vector<std::string> keywords() const;
  // Coordinates in degrees and their accuracy in metres; imprecise ones leave no location.
  void setLocation(double latitude, double longitude, double accuracy);
  // A described place ("Harbour Street, Lindmere"); an empty description leaves no location.
  void setLocationDescription(const std::string& description);
  // A parameter the ad server reads beside the library's own; set again, it is replaced.
  void setAdditionalParameter(const std::string& name, const std::string& value);

  // One line for each hint that is set, for logs.
  std::string description() const;

 private:
  friend class Banner;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tad
