#pragma once

#include <cstdint>
#include <utility>

#include "base/URL.h"
#include "platform/net/HTTPHeaderFields.h"

namespace platform {

// The head of an answer: the URL it answers and, for HTTP (and HTTPS), the status code and every
// header field as received. Answers of other schemes have no status (0) and no fields.
class URLResponse {
 public:
  static URLResponse http(base::URL url, int statusCode, HTTPHeaderFields headers) {
    return URLResponse(std::move(url), true, statusCode, std::move(headers));
  }
  static URLResponse other(base::URL url) { return URLResponse(std::move(url), false, 0, {}); }

  const base::URL& url() const { return url_; }
  bool isHTTP() const { return isHTTP_; }
  int statusCode() const { return statusCode_; }
  const HTTPHeaderFields& allHeaderFields() const { return headers_; }
  // The "Content-Length" value, or -1 when the answer does not give one.
  int64_t expectedContentLength() const;

 private:
  URLResponse(base::URL url, bool isHTTP, int statusCode, HTTPHeaderFields headers)
      : url_(std::move(url)),
        isHTTP_(isHTTP),
        statusCode_(statusCode),
        headers_(std::move(headers)) {}

  base::URL url_;
  bool isHTTP_;
  int statusCode_;
  HTTPHeaderFields headers_;
};

}  // namespace platform
