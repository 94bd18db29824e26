#include "ads/Utility/TADLocation.h"

#include <cmath>
#include <cstdio>

#include "platform/Clock.h"

namespace {

constexpr float kEpsilon = 1.1920929e-7f;

double secondsSince1970() {
  return platform::Clock::shared().now().timeIntervalSince1970();
}

}  // namespace

std::shared_ptr<TADLocation> TADLocation::initWithLatitude(float latitude, float longitude,
                                                           float accuracy) {
  std::shared_ptr<TADLocation> location(new TADLocation());
  location->latitude_ = latitude;
  location->longitude_ = longitude;
  location->accuracy_ = accuracy;
  location->timestamp_ = secondsSince1970();
  if (!location->isPreciseLocation()) return nullptr;
  return location;
}

std::shared_ptr<TADLocation> TADLocation::initWithDescription(std::string_view description) {
  if (description.empty()) return nullptr;
  std::shared_ptr<TADLocation> location(new TADLocation());
  location->description_ = std::string(description);
  location->timestamp_ = secondsSince1970();
  return location;
}

bool TADLocation::isPreciseLocation() const {
  // Written so that not-a-number fails every comparison and so counts as imprecise.
  float lat = std::fabs(latitude_);
  float lon = std::fabs(longitude_);
  return lat <= 90.0f && lon <= 180.0f && lat > kEpsilon && lon > kEpsilon;
}

std::string TADLocation::description() const {
  if (description_) return *description_;
  if (!isPreciseLocation()) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%f,%f", static_cast<double>(latitude_),
                static_cast<double>(longitude_));
  return text;
}

// The encrypted and plain wire forms need the location encoder; until it is in place a location
// travels without them, which the request accepts.
std::optional<std::string> TADLocation::oolongRepresentation() const {
  return std::nullopt;
}

bool TADLocation::isEqual(const TADLocation& other) const {
  if (isPreciseLocation() != other.isPreciseLocation()) return false;
  if (!isPreciseLocation()) return description() == other.description();
  return std::fabs(latitude_ - other.latitude_) < kEpsilon &&
         std::fabs(longitude_ - other.longitude_) < kEpsilon &&
         std::fabs(accuracy_ - other.accuracy_) < kEpsilon;
}

std::shared_ptr<TADLocation> TADLocation::copy() const {
  return std::shared_ptr<TADLocation>(new TADLocation(*this));
}
