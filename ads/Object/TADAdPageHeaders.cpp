#include "ads/Object/TADAdPageHeaders.h"

#include <charconv>
#include <cmath>

#include "base/ASCII.h"

void TADAdPageHeaders::appendTrackingURLs(std::vector<base::URL>& list) const {
  appendURLsFromHeader(list, fields_.value("X-Avmo-Tracking-Urls"));
}

void TADAdPageHeaders::appendClickTrackingURLs(std::vector<base::URL>& list) const {
  appendURLsFromHeader(list, fields_.value("X-Avmo-Click-Tracking-Urls"));
}

TADOrientations TADAdPageHeaders::orientations() const {
  std::optional<std::string> text = fields_.value("X-Avmo-Orientation");
  return text ? orientationsFromString(*text) : TADOrientations::None;
}

std::optional<float> TADAdPageHeaders::interstitialTimeout() const {
  std::optional<std::string> text = nonEmpty("X-Avmo-Interstitial-Timeout");
  if (!text) return std::nullopt;
  float seconds = static_cast<float>(leadingDecimal(*text));
  if (!std::isfinite(seconds)) return std::nullopt;
  return seconds;
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

void TADAdPageHeaders::appendURLsFromHeader(std::vector<base::URL>& list,
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
  double seconds = leadingDecimal(text);
  return std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

double TADAdPageHeaders::leadingDecimal(std::string_view text) {
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  size_t at = text.find_first_not_of(" \t");
  if (at == std::string_view::npos) return 0;
  text.remove_prefix(at);
  // from_chars takes a minus sign but no plus.
  bool plus = text.front() == '+';
  size_t end = plus || text.front() == '-' ? 1 : 0;
  auto skipDigits = [&] {
    size_t from = end;
    while (end < text.size() && isDigit(text[end]))
      ++end;
    return end - from;
  };
  size_t digits = skipDigits();
  if (end < text.size() && text[end] == '.') {
    ++end;
    digits += skipDigits();
  }
  if (digits == 0) return 0;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    size_t mantissa = end++;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    if (skipDigits() == 0) end = mantissa;
  }
  const char* first = text.data() + (plus ? 1 : 0);
  double value = 0;
  auto [stop, error] = std::from_chars(first, text.data() + end, value);
  return error == std::errc() && stop == text.data() + end ? value : 0;
}
