#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ads/Device/TADOrientations.h"
#include "base/URL.h"
#include "platform/net/HTTPHeaderFields.h"

// What an answer of the ad server says about its ad in its headers: the impression and click
// tracking addresses, the orientations of the screens the ad opens, the full-screen timeout and
// the refresh period. Numbers are read the same in every locale (a server writes "2.5" wherever
// the user lives). Reads a header set that must outlive it.
class TADAdPageHeaders {
 public:
  explicit TADAdPageHeaders(const platform::HTTPHeaderFields& fields) : fields_(fields) {}

  // The addresses of the impression and the click tracking headers, appended in their order.
  void appendTrackingURLs(std::vector<base::URL>& list) const;
  void appendClickTrackingURLs(std::vector<base::URL>& list) const;
  // None when the header is missing or names no orientation.
  TADOrientations orientations() const;
  // The full-screen timeout, when the header is there and not empty: its leading decimal number,
  // 0 when it has none; none when the number is beyond the range of a float.
  std::optional<float> interstitialTimeout() const;
  // When the refresh header is there and not empty: its period, 0 when it names none.
  std::optional<double> refreshSeconds() const;

  // The addresses of a tracking header, appended to list; pieces (split at single blanks, blanks
  // and tabs trimmed) that make no address are skipped.
  static void createOrReuseArray(std::vector<base::URL>& list,
                                 const std::optional<std::string>& header);
  // The refresh period a header value names: its leading decimal number when that is finite and
  // above 0 ("30s" names 30, ".5" half a second); anything else names no period and gives 0.
  static double refreshSecondsFromHeader(std::string_view text);

 private:
  std::optional<std::string> nonEmpty(std::string_view name) const;

  const platform::HTTPHeaderFields& fields_;
};
