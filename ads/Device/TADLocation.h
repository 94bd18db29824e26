#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Where the user is, as the application tells a request: precise coordinates with an accuracy,
// or a free-text description of a place. Every location is one or the other; the factories give
// no location for imprecise coordinates or an empty description.
class TADLocation {
  struct Passkey {};

 public:
  static std::shared_ptr<TADLocation> initWithLatitude(float latitude, float longitude,
                                                       float accuracy);
  static std::shared_ptr<TADLocation> initWithDescription(std::string_view description);
  explicit TADLocation(Passkey) {}

  float latitude() const { return latitude_; }
  float longitude() const { return longitude_; }
  float accuracy() const { return accuracy_; }
  // Seconds since 1970-01-01 00:00:00 UTC when the location was made.
  double timestamp() const { return timestamp_; }
  void setTimestamp(double timestamp) { timestamp_ = timestamp; }

  // Both coordinates within range and neither (nearly) zero.
  bool isPreciseLocation() const;
  // The place description, or "latitude,longitude" with six decimals when precise, else empty.
  std::string description() const;
  // The form sent to the ad server: "a+" and the base-64 record of a described place, or "e1+"
  // and the base-64 of an initialisation vector and the AES-encrypted record of coordinates. None
  // when encryption fails.
  std::optional<std::string> oolongRepresentation() const;
  // The record inside a wire form, decrypted and without its padding when it is an "e1+" form;
  // none for text that is not a wire form made with this program's key.
  static std::optional<std::string> recordFromOolongRepresentation(std::string_view wireForm);
  bool isEqual(const TADLocation& other) const;
  std::shared_ptr<TADLocation> copy() const;

 private:
  float latitude_ = 0;
  float longitude_ = 0;
  float accuracy_ = 0;
  std::optional<std::string> description_;
  double timestamp_ = 0;
};
