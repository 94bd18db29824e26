#include "base/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "base/Decimal.h"

namespace base {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The number at the start of text and how many characters it takes; 0 characters when there is
// none. Read through the exact decimal of the JSON reader, which rounds once and correctly.
std::pair<double, size_t> readDecimal(std::string_view text) {
  size_t at = 0;
  auto digits = [&text, &at] {
    size_t start = at;
    while (at < text.size() && isDigit(text[at]))
      ++at;
    return text.substr(start, at - start);
  };
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  std::string_view integer = digits();
  std::string_view fraction;
  if (at < text.size() && text[at] == '.') {
    ++at;
    fraction = digits();
  }
  if (integer.empty() && fraction.empty()) return {0, 0};
  size_t length = at;
  std::string_view exponent;
  bool negativeExponent = false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
      negativeExponent = text[at++] == '-';
    exponent = digits();
    if (!exponent.empty()) length = at;
  }

  // Rewritten in the JSON grammar: no '+', no leading zeros, digits on both sides of the point.
  integer.remove_prefix(std::min(integer.find_first_not_of('0'), integer.size()));
  exponent.remove_prefix(std::min(exponent.find_first_not_of('0'), exponent.size()));
  std::string json = negative ? "-" : "";
  json += integer.empty() ? "0" : integer;
  if (!fraction.empty()) json.append(".").append(fraction);
  if (!exponent.empty()) {
    // Nine digits reach far past the double's range either way, and keep the exact decimal's
    // exponent within its bounds.
    json.append(negativeExponent ? "e-" : "e").append(exponent.size() > 9 ? "999999999" : exponent);
  }
  std::optional<Decimal> decimal = Decimal::fromString(json);
  return {decimal ? decimal->toDouble() : 0, length};
}

}  // namespace

std::string fixedPoint(double value, int decimals) {
  // The longest double written in fixed point has 309 digits before the point.
  char text[320 + 64];
  auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                    std::clamp(decimals, 0, 60));
  if (error != std::errc()) return {};
  return std::string(text, end);
}

double leadingDecimal(std::string_view text) {
  size_t blanks = 0;
  while (blanks < text.size() && isSpace(text[blanks]))
    ++blanks;
  return readDecimal(text.substr(blanks)).first;
}

std::optional<double> decimalFromText(std::string_view text) {
  auto [value, length] = readDecimal(text);
  if (length == 0 || length != text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace base
