#include "ads/Request/TADRequestPrivate.h"

#include <cstdio>
#include <ctime>

#include "ads/Device/TADIdentifierUtilities.h"
#include "ads/Device/TADLocation.h"
#include "ads/Request/TADRequestContributors.h"
#include "ads/Request/TADRequestParameters.h"
#include "platform/Device.h"
#include "platform/core/Console.h"
#include "signals/TADSignals.h"

std::shared_ptr<TADRequest> TADRequest::request() {
  return std::make_shared<TADRequestPrivate>();
}

const std::string& TADRequest::sdkVersion() {
  static const std::string version = [] {
    char text[32];
    std::snprintf(text, sizeof text, "avmo-sdk-i-v%d.%d.%d", 4, 1, 1);
    return std::string(text);
  }();
  return version;
}

TADRequestPrivate::TADRequestPrivate(const TADRequest& source)
    : testDevices_(source.testDevices()),
      testing_(source.isTesting()),
      additionalParameters_(source.additionalParameters()),
      gender_(source.gender()),
      birthday_(source.birthday()),
      location_(source.location()),
      keywords_(source.keywords()),
      privacySignals_(source.privacySignals()) {
  if (auto* sourcePrivate = dynamic_cast<const TADRequestPrivate*>(&source)) {
    interstitialAd_ = sourcePrivate->isInterstitialAd();
  }
}

int32_t TADRequestPrivate::requestTypeFromString(const std::optional<std::string>& type) {
  if (!type) return 0;
  if (*type == "norvak") return 4;
  if (*type == "qvm") return 5;
  if (*type == "sentrel") return 1;
  return 0;
}

bool TADRequestPrivate::deviceAtLeastMinimumOSMajorVersion(int32_t major, int32_t minor) {
  return TADIdentifierUtilities::sharedInstance().isOSAtLeastMajor(major, minor, 0);
}

void TADRequestPrivate::addKeyword(std::string_view keyword) {
  if (keyword.empty()) return;
  if (!keywords_) keywords_ = std::make_shared<Keywords>();
  keywords_->emplace_back(keyword);
}

void TADRequestPrivate::setLocationWithDescription(std::string_view description) {
  location_ = TADLocation::initWithDescription(description);
}

void TADRequestPrivate::setLocationWithLatitude(float latitude, float longitude, float accuracy) {
  location_ = TADLocation::initWithLatitude(latitude, longitude, accuracy);
}

void TADRequestPrivate::setBirthdayWithMonth(int month, int day, int year) {
  struct tm parts {};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_isdst = -1;  // let the time zone's rules decide
  time_t seconds = mktime(&parts);
  birthday_ = base::Date::fromUnixTime(static_cast<double>(seconds));
}

std::shared_ptr<TADRequest> TADRequestPrivate::copy() const {
  return initWithRequest(*this);
}

std::optional<std::string> TADRequestPrivate::genderString() const {
  if (gender_ == 1) return "m";
  if (gender_ == 2) return "f";
  return std::nullopt;
}

std::optional<std::string> TADRequestPrivate::birthdayString() const {
  if (!birthday_) return std::nullopt;
  time_t seconds = static_cast<time_t>(birthday_->timeIntervalSince1970());
  struct tm parts {};
  localtime_r(&seconds, &parts);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d", &parts);
  return std::string(text);
}

namespace {

base::Value keywordArray(const TADRequest::Keywords& keywords) {
  base::Array array;
  array.reserve(keywords.size());
  for (const std::string& keyword : keywords)
    array.emplace_back(keyword);
  return array;
}

}  // namespace

std::string TADRequestPrivate::description() const {
  char head[64];
  std::snprintf(head, sizeof head, "TADRequest<%p>: ", static_cast<const void*>(this));
  std::string text = head;
  if (gender_ == 1) text += "\ngender:Male";
  if (gender_ == 2) text += "\ngender:Female";
  if (birthday_) text += "\nbirthday:" + birthday_->description();
  if (location_) text += "\nlocation:" + location_->description();
  if (keywords_) text += "\nkeywords:" + keywordArray(*keywords_).description();
  if (additionalParameters_) {
    text += "\nadditionalParameters:" + base::Value(*additionalParameters_).description();
  }
  return text;
}

base::Dictionary TADRequestPrivate::parameters() const {
  TADRequestContributors& contributors = TADRequestContributors::current();
  base::Dictionary parameters = contributors.deviceParameters();
  parameters.set(std::string(kTADParameterSDKVersion), sdkVersion());
  if (auto network = contributors.networkTypeString()) {
    parameters.set(std::string(kTADParameterNetworkType), *network);
  }
  if (testing_) {
    platform::Console::log(
        "<Talvik> \"testing\" property has been deprecated.  Use \"testDevices\" instead.");
    parameters.set(std::string(kTADParameterTesting), "1");
  }
  if (testDevices_) {
    std::string thisDevice = platform::Device::current().uniqueIdentifier();
    for (const std::string& device : *testDevices_) {
      if (device != thisDevice) continue;
      parameters.set(std::string(kTADParameterTestMode), "on");
      break;
    }
  }
  if (additionalParameters_) {
    parameters.set(std::string(kTADParameterExtraParams), *additionalParameters_);
  }
  if (auto gender = genderString()) parameters.set(std::string(kTADParameterGender), *gender);
  if (auto birthday = birthdayString())
    parameters.set(std::string(kTADParameterBirthday), *birthday);
  if (keywords_) parameters.set(std::string(kTADParameterKeywords), keywordArray(*keywords_));
  if (location_) {
    if (auto encoded = location_->oolongRepresentation()) {
      parameters.set(std::string(kTADParameterLocation), *encoded);
    }
  }
  privacySignals_.addTo(parameters);
  parameters.merge(contributors.statisticsParameters());
  parameters.set(std::string(kTADParameterTotalAdRequests), counter_);
  return parameters;
}

base::Dictionary TADRequestPrivate::spamSignals() const {
  std::string text;
  if (!tad_gmrs(text)) return {};
  return signalPairFromText(text);
}

base::Dictionary TADRequestPrivate::signalPairFromText(std::string_view text) {
  base::Dictionary pair;
  size_t firstEquals = text.find('=');
  if (firstEquals == std::string_view::npos) return pair;
  std::string_view value = text.substr(firstEquals + 1);
  value = value.substr(0, value.find('='));
  if (value.empty()) return pair;
  pair.set(std::string(text.substr(0, firstEquals)), std::string(value));
  return pair;
}
