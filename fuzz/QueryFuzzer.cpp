// Reads arbitrary text as a query and as a URL whose parameters are read and appended to, as the
// library does with every click address and page message it is handed. Nothing may fault, and:
// parsed pairs are UTF-8 with lower-cased keys; a value read by key is a piece of the query; and
// a pair appended to a URL reads back by its key, before the URL's fragment, which stays as it was.
//
// Input: the text, a line feed, then a value to append. Without a line feed nothing is appended.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "ads/Addresses/TADNetworkUtilities.h"
#include "base/URL.h"
#include "base/Utf8Validator.h"

namespace {

constexpr std::string_view kAppendedKey = "fuzzkey";

void require(bool condition, const char* what, std::string_view input) {
  if (condition) return;
  std::fprintf(stderr, "%s\ninput: %.*s\n", what, int(input.size()), input.data());
  std::abort();
}

bool hasUpperCaseAscii(std::string_view text) {
  for (char c : text) {
    if (c >= 'A' && c <= 'Z') return true;
  }
  return false;
}

void checkParsedQuery(std::string_view text) {
  base::Dictionary pairs = TADNetworkUtilities::dictionaryFromQueryString(std::string(text));
  for (const auto& [key, value] : pairs) {
    require(base::Utf8Validator::isValid(key) && value.isString() &&
                base::Utf8Validator::isValid(*value.asString()),
            "a parsed pair is not UTF-8 text", text);
    require(!hasUpperCaseAscii(key), "a parsed key kept an upper-case letter", text);
  }
}

void checkReadValue(const base::URL& url, std::string_view input) {
  const std::optional<std::string>& query = url.query();
  size_t equals = input.find('=');
  if (equals == std::string_view::npos || equals == 0) return;
  // The text before the first "=" as a key, whatever it is.
  size_t start = input.find_last_of("?&", equals);
  std::string key(input.substr(start == std::string_view::npos ? 0 : start + 1,
                               equals - (start == std::string_view::npos ? 0 : start + 1)));
  std::optional<std::string> value = TADNetworkUtilities::parameterValueForKey(key, url);
  if (!value) return;
  require(query.has_value(), "a value was read from a URL without a query", input);
  require(query->find(key + "=" + *value) != std::string::npos,
          "a value read by key is not in the query after its key", input);
  require(value->find('&') == std::string::npos && value->find('=') == std::string::npos,
          "a value read by key runs past its piece", input);
}

void checkAppended(const base::URL& url, std::string_view value, std::string_view input) {
  if (TADNetworkUtilities::parameterValueForKey(kAppendedKey, url)) return;  // already there
  std::optional<base::URL> appended =
      TADNetworkUtilities::appendQueryKey(kAppendedKey, base::Value(std::string(value)), url);
  require(appended.has_value(), "appending an escaped pair did not make a URL", input);
  require(appended->fragment() == url.fragment(), "appending changed the fragment", input);
  require(appended->scheme() == url.scheme() && appended->host() == url.host() &&
              appended->percentEncodedPath() == url.percentEncodedPath(),
          "appending changed what comes before the query", input);
  std::string escaped = TADNetworkUtilities::encodeURL(value);
  if (escaped.empty()) return;  // the key alone, without "="
  // An empty query counts as none, so the pair goes after a second "?" and is no piece of its own.
  if (url.query() && url.query()->empty()) return;
  require(TADNetworkUtilities::parameterValueForKey(kAppendedKey, *appended) == escaped,
          "an appended pair does not read back by its key", input);
  if (!base::Utf8Validator::isValid(value)) return;
  base::Dictionary pairs = TADNetworkUtilities::dictionaryFromQueryString(appended->query());
  const base::Value* parsed = pairs.find(kAppendedKey);
  require(parsed && *parsed == base::Value(std::string(value)),
          "an appended pair does not parse back to its value", input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t newline = input.find('\n');
  std::string_view text = input.substr(0, newline);
  checkParsedQuery(text);
  std::optional<base::URL> url = base::URL::fromString(text);
  if (!url) return 0;
  checkReadValue(*url, text);
  if (newline != std::string_view::npos) checkAppended(*url, input.substr(newline + 1), input);
  return 0;
}
