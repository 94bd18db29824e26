#include "ads/Object/TADAdPageHeaders.h"

#include <cmath>
#include <limits>

#include "base/ASCII.h"
#include "base/NumberText.h"

void TADAdPageHeaders::appendTrackingURLs(std::vector<base::URL>& list) const {
  createOrReuseArray(list, fields_.value("X-Avmo-Tracking-Urls"));
}

void TADAdPageHeaders::appendClickTrackingURLs(std::vector<base::URL>& list) const {
  createOrReuseArray(list, fields_.value("X-Avmo-Click-Tracking-Urls"));
}

TADOrientations TADAdPageHeaders::orientations() const {
  std::optional<std::string> text = fields_.value("X-Avmo-Orientation");
  return text ? orientationsFromString(*text) : TADOrientations::None;
}

std::optional<float> TADAdPageHeaders::interstitialTimeout() const {
  std::optional<std::string> text = nonEmpty("X-Avmo-Interstitial-Timeout");
  if (!text) return std::nullopt;
  double seconds = base::leadingDecimal(*text);
  if (!(std::fabs(seconds) <= std::numeric_limits<float>::max())) return std::nullopt;
  return static_cast<float>(seconds);
}

std::optional<double> TADAdPageHeaders::refreshSeconds() const {
  std::optional<std::string> text = nonEmpty("X-Avmo-Refresh-Rate");
  if (!text) return std::nullopt;
  return refreshSecondsFromHeader(*text);
}

std::optional<std::string> TADAdPageHeaders::nonEmpty(std::string_view name) const {
  std::optional<std::string> text = fields_.value(name);
  if (!text || text->empty()) return std::nullopt;
  return text;
}

void TADAdPageHeaders::createOrReuseArray(std::vector<base::URL>& list,
                                          const std::optional<std::string>& header) {
  if (!header) return;
  std::string_view rest = *header;
  while (true) {
    size_t blank = rest.find(' ');
    std::string piece = base::trimmed(rest.substr(0, blank), " \t");
    if (auto url = base::URL::fromString(piece); url && !url->absoluteString().empty()) {
      list.push_back(*url);
    }
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
}

double TADAdPageHeaders::refreshSecondsFromHeader(std::string_view text) {
  double seconds = base::leadingDecimal(text);
  return std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}
