#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ads/Request/TADRequest.h"

// The one implementation of TADRequest: its fields, the parameter dictionary that the page script
// turns into an ad address, and the request-time signal pair appended to that address.
class TADRequestPrivate : public TADRequest {
 public:
  TADRequestPrivate() = default;
  // A request with every field of source but the counter, sharing source's keyword list,
  // extra-parameter dictionary and location.
  explicit TADRequestPrivate(const TADRequest& source);
  static std::shared_ptr<TADRequestPrivate> initWithRequest(const TADRequest& source) {
    return std::make_shared<TADRequestPrivate>(source);
  }
  TADRequestPrivate(const TADRequestPrivate&) = delete;
  TADRequestPrivate& operator=(const TADRequestPrivate&) = delete;

  // Maps the request type that the page script reports: "norvak" 4, "qvm" 5, "sentrel" 1,
  // anything else (also none) 0. Exact and case-sensitive.
  static int32_t requestTypeFromString(const std::optional<std::string>& type);
  // Whether the system is at least major.minor.
  static bool deviceAtLeastMinimumOSMajorVersion(int32_t major, int32_t minor);

  std::shared_ptr<base::Dictionary> additionalParameters() const override {
    return additionalParameters_;
  }
  void setAdditionalParameters(std::shared_ptr<base::Dictionary> parameters) override {
    additionalParameters_ = std::move(parameters);
  }
  const std::optional<std::vector<std::string>>& testDevices() const override {
    return testDevices_;
  }
  void setTestDevices(std::optional<std::vector<std::string>> devices) override {
    testDevices_ = std::move(devices);
  }
  bool isTesting() const override { return testing_; }
  void setTesting(bool testing) override { testing_ = testing; }
  int32_t gender() const override { return gender_; }
  void setGender(int32_t gender) override { gender_ = gender; }
  std::optional<base::Date> birthday() const override { return birthday_; }
  void setBirthday(std::optional<base::Date> birthday) override { birthday_ = birthday; }
  std::shared_ptr<Keywords> keywords() const override { return keywords_; }
  void setKeywords(std::shared_ptr<Keywords> keywords) override { keywords_ = std::move(keywords); }
  std::shared_ptr<TADLocation> location() const override { return location_; }
  void setLocation(std::shared_ptr<TADLocation> location) { location_ = std::move(location); }
  const TADPrivacySignals& privacySignals() const override { return privacySignals_; }
  void setPrivacySignals(TADPrivacySignals signals) override {
    privacySignals_ = std::move(signals);
  }
  bool isInterstitialAd() const { return interstitialAd_; }
  void setInterstitialAd(bool interstitial) { interstitialAd_ = interstitial; }
  // The running total of ad requests, stamped by the ad object at each load.
  int32_t counter() const { return counter_; }
  void setCounter(int32_t counter) { counter_ = counter; }

  void addKeyword(std::string_view keyword) override;
  void setLocationWithDescription(std::string_view description) override;
  void setLocationWithLatitude(float latitude, float longitude, float accuracy) override;
  void setBirthdayWithMonth(int month, int day, int year) override;

  std::shared_ptr<TADRequest> copy() const override;
  std::string description() const override;

  // "m", "f", or none.
  std::optional<std::string> genderString() const;
  // The birthday as "yyyyMMdd" in the device's time zone, or none.
  std::optional<std::string> birthdayString() const;

  // The request parameters, built afresh on each call. Building consumes the pending statistics
  // report and, while the old test switch is on, writes its deprecation line to the console.
  base::Dictionary parameters() const;
  // The one name → value pair of the signals component's request text, or nothing.
  base::Dictionary spamSignals() const;
  // The pair in a "name=value" text: text after a second '=' is dropped; no pair without an '='
  // or with an empty value.
  static base::Dictionary signalPairFromText(std::string_view text);

 private:
  std::optional<std::vector<std::string>> testDevices_;
  bool testing_ = false;
  std::shared_ptr<base::Dictionary> additionalParameters_;
  int32_t gender_ = 0;
  std::optional<base::Date> birthday_;
  std::shared_ptr<TADLocation> location_;
  std::shared_ptr<Keywords> keywords_;
  TADPrivacySignals privacySignals_;
  bool interstitialAd_ = false;
  int32_t counter_ = 0;
};
