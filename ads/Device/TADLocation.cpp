#include "ads/Device/TADLocation.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "ads/Configuration/TADConfiguration.h"
#include "base/NumberText.h"
#include "encoding/TAD_RookStringEncoding.h"
#include "platform/core/Clock.h"

namespace {

constexpr float kEpsilon = 1.1920929e-7f;

double secondsSince1970() {
  return platform::Clock::shared().now().timeIntervalSince1970();
}

}  // namespace

std::shared_ptr<TADLocation> TADLocation::initWithLatitude(float latitude, float longitude,
                                                           float accuracy) {
  auto location = std::make_shared<TADLocation>(Passkey{});
  location->latitude_ = latitude;
  location->longitude_ = longitude;
  location->accuracy_ = accuracy;
  location->timestamp_ = secondsSince1970();
  if (!location->isPreciseLocation()) return nullptr;
  return location;
}

std::shared_ptr<TADLocation> TADLocation::initWithDescription(std::string_view description) {
  if (description.empty()) return nullptr;
  auto location = std::make_shared<TADLocation>(Passkey{});
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
  return base::fixedPoint(latitude_, 6) + "," + base::fixedPoint(longitude_, 6);
}

namespace {

std::string recordHead(double micros) {
  return "role: 6 producer: 24 historical_role: 1 historical_producer: 12 timestamp: " +
         base::fixedPoint(micros, 0) + " ";
}

std::shared_ptr<TAD_RookStringEncoding> wireEncoding() {
  auto encoding = TAD_RookStringEncoding::rfc4648Base64WebsafeStringEncoding();
  encoding->setDoPad(false);
  return encoding;
}

// Truncates toward zero, saturating at the limits of 32 bits (not-a-number gives 0).
int32_t saturated(double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

std::string formatted(const char* format, auto... arguments) {
  int length = std::snprintf(nullptr, 0, format, arguments...);
  std::string text(static_cast<size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, format, arguments...);
  return text;
}

// AES-128-CBC over whole blocks, without padding of its own; none on failure.
std::optional<std::vector<uint8_t>> aes128cbc(bool encrypt, const std::vector<uint8_t>& input,
                                              const uint8_t* iv) {
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                          EVP_CIPHER_CTX_free);
  if (!context || input.size() % 16 != 0) return std::nullopt;
  if (EVP_CipherInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, kTADLocationKey.data(), iv,
                        encrypt ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) {
    return std::nullopt;
  }
  std::vector<uint8_t> output(input.size() + 16);
  int written = 0;
  int finished = 0;
  if (EVP_CipherUpdate(context.get(), output.data(), &written, input.data(),
                       static_cast<int>(input.size())) != 1 ||
      EVP_CipherFinal_ex(context.get(), output.data() + written, &finished) != 1) {
    return std::nullopt;
  }
  output.resize(static_cast<size_t>(written + finished));
  return output;
}

}  // namespace

std::optional<std::string> TADLocation::oolongRepresentation() const {
  double micros = timestamp_ * 1000000;
  if (!isPreciseLocation()) {
    std::string place = description();
    std::replace(place.begin(), place.end(), '"', '\'');
    std::string record = recordHead(micros) + "loc: \"" + place + "\"";
    return "a+" + wireEncoding()->encodeString(record);
  }

  std::string record =
      recordHead(micros) +
      formatted("latlng <latitude_e7: %ld longitude_e7: %ld> radius: %ld",
                static_cast<long>(saturated(static_cast<double>(latitude_) * 10000000)),
                static_cast<long>(saturated(static_cast<double>(longitude_) * 10000000)),
                static_cast<long>(saturated(static_cast<double>(accuracy_) * 1000)));
  size_t padding = 16 - record.size() % 16;
  record.append(padding, static_cast<char>(padding));

  // The vector is the timestamp's seconds ×1 to ×4 as little-endian 32-bit integers.
  uint8_t iv[16];
  for (int i = 0; i < 4; ++i) {
    auto word = static_cast<uint32_t>(saturated(timestamp_ * (i + 1)));
    for (int b = 0; b < 4; ++b)
      iv[i * 4 + b] = static_cast<uint8_t>(word >> (8 * b));
  }
  auto ciphertext = aes128cbc(true, std::vector<uint8_t>(record.begin(), record.end()), iv);
  if (!ciphertext) return std::nullopt;
  std::vector<uint8_t> payload(16 + ciphertext->size());
  std::copy(iv, iv + 16, payload.begin());
  std::copy(ciphertext->begin(), ciphertext->end(), payload.begin() + 16);
  return "e1+" + wireEncoding()->encode(payload);
}

std::optional<std::string> TADLocation::recordFromOolongRepresentation(std::string_view wireForm) {
  if (wireForm.starts_with("a+")) return wireEncoding()->stringByDecoding(wireForm.substr(2));
  if (!wireForm.starts_with("e1+")) return std::nullopt;
  auto payload = wireEncoding()->decode(wireForm.substr(3));
  if (!payload || payload->size() < 32 || payload->size() % 16 != 0) return std::nullopt;
  std::vector<uint8_t> ciphertext(payload->begin() + 16, payload->end());
  auto plain = aes128cbc(false, ciphertext, payload->data());
  if (!plain) return std::nullopt;
  uint8_t padding = plain->back();
  if (padding < 1 || padding > 16) return std::nullopt;
  for (size_t i = plain->size() - padding; i < plain->size(); ++i) {
    if ((*plain)[i] != padding) return std::nullopt;  // not made with this key
  }
  return std::string(plain->begin(), plain->end() - padding);
}

bool TADLocation::isEqual(const TADLocation& other) const {
  if (isPreciseLocation() != other.isPreciseLocation()) return false;
  if (!isPreciseLocation()) return description() == other.description();
  return std::fabs(latitude_ - other.latitude_) < kEpsilon &&
         std::fabs(longitude_ - other.longitude_) < kEpsilon &&
         std::fabs(accuracy_ - other.accuracy_) < kEpsilon;
}

std::shared_ptr<TADLocation> TADLocation::copy() const {
  return std::make_shared<TADLocation>(*this);
}
