#include "platform/net/URLConnection.h"

#include <algorithm>

#include "base/URL.h"
#include "platform/net/URLError.h"

namespace platform {

namespace {

bool isFieldName(std::string_view name) {
  constexpr std::string_view kSymbols = "!#$%&'*+-.^_`|~";
  return !name.empty() && std::all_of(name.begin(), name.end(), [&](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           kSymbols.find(c) != std::string_view::npos;
  });
}

bool isFieldValue(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace

base::Expected<void> URLConnection::checkRequest(const URLRequest& request) {
  const std::string url = request.url().absoluteString();
  if (!request.url().isWebURL()) {
    return URLError::make(URLError::UnsupportedURL, url,
                          "only http and https URLs with a host are loaded");
  }
  for (const auto& [name, value] : request.allHTTPHeaderFields()) {
    if (!isFieldName(name) || !isFieldValue(value)) {
      return URLError::make(URLError::BadURL, url, "the request has a malformed header field");
    }
  }
  return {};
}

std::optional<base::URL> URLConnection::redirectTarget(const URLResponse& response) {
  const int status = response.statusCode();
  if (status < 300 || status > 399 || status == 304) return std::nullopt;
  std::optional<std::string> location = response.allHeaderFields().value("Location");
  if (!location) return std::nullopt;
  return base::URL::fromString(*location, response.url());
}

}  // namespace platform
