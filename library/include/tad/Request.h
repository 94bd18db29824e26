#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tad/Export.h"

namespace tad {

// What the program wants from the ad server: whether it is testing, targeting hints, extra
// parameters and the user's privacy signals. A value: copies are independent of each other.
class TAD_EXPORT Request {
 public:
  enum class Gender { Unknown = 0, Male = 1, Female = 2 };

  Request();
  ~Request();
  Request(const Request& other);
  Request& operator=(const Request& other);

  // Test ads instead of paid ones. Each load of a request so marked logs that the switch is
  // deprecated: name the devices that test instead.
  [[deprecated("name the test devices with setTestDevices (Host::deviceIdentifier)")]] void
  setTesting(bool testing);
  bool isTesting() const;
  // The devices on which test ads are wanted, by the identifiers Host::deviceIdentifier gives:
  // on any other device the request asks for paid ads.
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

  // Privacy signals, which ad servers are bound to honour. Each is unset until set, and only those
  // set are passed to the ad server; an unset one leaves the decision to the server.
  //
  // Whether a consent regime covers the user: a law under which ads are personalised only with
  // the user's consent. Where it applies and no consent string grants it, the server serves ads
  // that are not personalised.
  void setConsentRegimeApplies(bool applies);
  void clearConsentRegimeApplies();
  std::optional<bool> consentRegimeApplies() const;
  // The user's consent as the program's consent tool encodes it, passed on unread; empty: none.
  void setConsentString(const std::string& consent);
  std::string consentString() const;
  // The user's choices under US privacy laws in their encoded form, passed on unread; empty: none.
  void setUSPrivacyString(const std::string& choices);
  std::string usPrivacyString() const;
  // Whether the ads are to be treated as directed at children, who then get no personalised ads.
  void setChildDirectedTreatment(bool childDirected);
  void clearChildDirectedTreatment();
  std::optional<bool> childDirectedTreatment() const;

  // "tad::Request", then one line for each hint and each privacy signal that is set, for logs: the
  // same for two requests that ask the same.
  std::string description() const;

 private:
  friend class Banner;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tad
