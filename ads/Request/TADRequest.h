#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ads/Request/TADPrivacySignals.h"
#include "base/Date.h"
#include "base/Value.h"

class TADLocation;

// What the application wants from the ad server: targeting hints (gender, birthday, location,
// keywords), free-form extra parameters, the user's privacy signals, and whether it is testing.
// This is the public face; every request is made by request() or copy() and is really a
// TADRequestPrivate.
//
// A copy shares its keyword list, extra-parameter dictionary and location with the original, so a
// keyword added through either one shows in both once the list exists.
class TADRequest {
 public:
  using Keywords = std::vector<std::string>;

  virtual ~TADRequest() = default;

  // A new request with all defaults.
  static std::shared_ptr<TADRequest> request();
  // The library's version text, "avmo-sdk-i-v4.1.1".
  static const std::string& sdkVersion();

  virtual std::shared_ptr<base::Dictionary> additionalParameters() const = 0;
  virtual void setAdditionalParameters(std::shared_ptr<base::Dictionary> parameters) = 0;
  // Identifiers of the devices on which test ads are wanted; none by default.
  virtual const std::optional<std::vector<std::string>>& testDevices() const = 0;
  virtual void setTestDevices(std::optional<std::vector<std::string>> devices) = 0;
  // The old test switch; prefer testDevices.
  virtual bool isTesting() const = 0;
  virtual void setTesting(bool testing) = 0;
  // 0 unknown, 1 male, 2 female; other values count as unknown.
  virtual int32_t gender() const = 0;
  virtual void setGender(int32_t gender) = 0;
  virtual std::optional<base::Date> birthday() const = 0;
  virtual void setBirthday(std::optional<base::Date> birthday) = 0;
  virtual std::shared_ptr<Keywords> keywords() const = 0;
  virtual void setKeywords(std::shared_ptr<Keywords> keywords) = 0;
  virtual std::shared_ptr<TADLocation> location() const = 0;
  // What the ad server is told of the user's privacy; nothing by default.
  virtual const TADPrivacySignals& privacySignals() const = 0;
  virtual void setPrivacySignals(TADPrivacySignals signals) = 0;

  // Appends keyword (also one already listed); an empty keyword is ignored.
  virtual void addKeyword(std::string_view keyword) = 0;
  // Replaces the location with a described place; an empty description leaves no location.
  virtual void setLocationWithDescription(std::string_view description) = 0;
  // Replaces the location with coordinates; imprecise ones leave no location.
  virtual void setLocationWithLatitude(float latitude, float longitude, float accuracy) = 0;
  // Sets the birthday to midnight of that Gregorian date in the device's time zone.
  virtual void setBirthdayWithMonth(int month, int day, int year) = 0;

  virtual std::shared_ptr<TADRequest> copy() const = 0;
  // "TADRequest<address>: " followed by a line for each targeting hint that is set.
  virtual std::string description() const = 0;

 protected:
  TADRequest() = default;
  TADRequest(const TADRequest&) = default;
  TADRequest& operator=(const TADRequest&) = default;
};
