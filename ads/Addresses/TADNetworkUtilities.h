#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/URL.h"
#include "base/Value.h"

// The URL and query helpers of every networking path, and the process-wide user-agent text that
// the library's own fetches send (the one the web view sends, once a page load has shown it).
class TADNetworkUtilities {
 public:
  TADNetworkUtilities() = delete;

  // None until a web page load has stored one.
  static std::optional<std::string> userAgentString();
  // Keeps text unless it is empty or already the current value.
  static void setUserAgentString(std::string_view text);
  // Puts back what a test found, none included, since the text is process-wide.
  static void resetUserAgentStringForTesting(std::optional<std::string> text);

  // Percent-escapes every byte of text's UTF-8 form but letters, digits and "-._~" as "%XX"
  // with upper-case hexadecimal digits. A space becomes "%20"; escaped text is escaped again.
  static std::string encodeURL(std::string_view text);

  // url's text with "key=escaped value" pairs appended after "?" (or "&" when url already has a
  // query), in the dictionary's order. Keys go unescaped; a value with an empty text form leaves
  // its key alone without "=". A fragment stays at the end, after the pairs. None when the
  // result is not a URL.
  static std::optional<base::URL> appendQueryParameters(const base::Dictionary& parameters,
                                                        const base::URL& url);
  // The same for one key; no value counts as the empty text.
  static std::optional<base::URL> appendQueryKey(std::string_view key,
                                                 const std::optional<base::Value>& value,
                                                 const base::URL& url);

  // The text after "=" of the first "key=…" piece of url's query, escapes kept and cut at a
  // second "="; none when no piece has that exact key with an "=".
  static std::optional<std::string> parameterValueForKey(std::string_view key,
                                                         const base::URL& url);

  // The pairs of a query text separated by runs of "&" and ";": keys unescaped and lower-cased,
  // values unescaped, later keys replacing earlier ones. Pairs without exactly one "=", or whose
  // escapes do not decode to UTF-8, are dropped.
  static base::Dictionary dictionaryFromQueryString(const std::optional<std::string>& query);
};
