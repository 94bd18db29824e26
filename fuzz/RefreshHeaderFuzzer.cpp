// Reads arbitrary text as the refresh header's value. Whatever it holds, the period is 0 or finite
// and above 0, it is the text's leading decimal number when that is finite and above 0, and that
// number is the one the C library reads in the "C" locale from every text that begins like a
// decimal number (a sign, a digit or a point; no "inf", "nan" or hexadecimal), unless that reading
// is out of range. The header set's reading gives the same period.

#include <locale.h>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "ads/Object/TADAdPageHeaders.h"
#include "base/NumberText.h"
#include "platform/net/HTTPHeaderFields.h"

namespace {

void require(bool condition, const char* what, std::string_view input) {
  if (condition) return;
  std::fprintf(stderr, "%s\ninput: %.*s\n", what, int(input.size()), input.data());
  std::abort();
}

bool beginsLikeADecimal(std::string_view text) {
  size_t at = text.find_first_not_of(" \t\n\v\f\r");
  if (at == std::string_view::npos) return false;
  text.remove_prefix(at);
  if (text.front() == '+' || text.front() == '-') text.remove_prefix(1);
  if (text.empty() || !((text.front() >= '0' && text.front() <= '9') || text.front() == '.')) {
    return false;
  }
  return !(text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
  std::string_view text(reinterpret_cast<const char*>(data), size);

  const double number = base::leadingDecimal(text);
  const double seconds = TADAdPageHeaders::refreshSecondsFromHeader(text);
  require(seconds == 0 || (std::isfinite(seconds) && seconds > 0),
          "a period is neither none nor finite and above 0", text);
  require(seconds == (std::isfinite(number) && number > 0 ? number : 0),
          "the period is not the leading number", text);

  if (beginsLikeADecimal(text)) {
    // The C library stops at the first NUL; so does a decimal number.
    std::string terminated(text.substr(0, text.find('\0')));
    errno = 0;
    double expected = strtod_l(terminated.c_str(), nullptr, cLocale);
    if (errno != ERANGE) {
      require(number == expected, "the number differs from the C locale's reading", text);
    }
  } else {
    require(number == 0, "a text that begins with no number reads as one", text);
  }

  platform::HTTPHeaderFields fields{{"X-Avmo-Refresh-Rate", std::string(text)}};
  std::optional<double> read = TADAdPageHeaders(fields).refreshSeconds();
  require(text.empty() ? !read : read == seconds, "the header set reads another period", text);
  return 0;
}
