#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/URL.h"
#include "platform/net/HTTPHeaderFields.h"

namespace platform {

// One GET request as a connection sends it: the URL, the header fields the caller adds (the
// connection adds its own, such as "Host" and cookies, on the wire), whether stored cookies go
// with it and new ones are kept, how a local cache may answer it, and how long the connection may
// wait for the server before it gives up.
class URLRequest {
 public:
  enum class CachePolicy {
    UseProtocolCachePolicy = 0,
    // The value the library asks for: always ask the server (conditionally, if the caller says so).
    ReloadIgnoringLocalCacheData = 1,
  };
  // Seconds without any answer or data from the server after which a connection fails.
  static constexpr double kDefaultTimeoutInterval = 60;
  // Who waits for the answer. Background traffic (a tracker telling a server that something
  // happened) goes over connections of its own, so that however long its servers keep it, it
  // never holds a connection that a load someone waits for needs.
  enum class NetworkServiceType { Default, Background };

  explicit URLRequest(base::URL url, CachePolicy cachePolicy = CachePolicy::UseProtocolCachePolicy,
                      double timeoutInterval = kDefaultTimeoutInterval)
      : url_(std::move(url)), cachePolicy_(cachePolicy), timeoutInterval_(timeoutInterval) {}

  const base::URL& url() const { return url_; }
  void setURL(base::URL url) { url_ = std::move(url); }

  CachePolicy cachePolicy() const { return cachePolicy_; }
  void setCachePolicy(CachePolicy policy) { cachePolicy_ = policy; }

  double timeoutInterval() const { return timeoutInterval_; }
  void setTimeoutInterval(double seconds) { timeoutInterval_ = seconds; }

  NetworkServiceType networkServiceType() const { return serviceType_; }
  void setNetworkServiceType(NetworkServiceType type) { serviceType_ = type; }

  bool HTTPShouldHandleCookies() const { return handlesCookies_; }
  void setHTTPShouldHandleCookies(bool handles) { handlesCookies_ = handles; }

  const HTTPHeaderFields& allHTTPHeaderFields() const { return headers_; }
  std::optional<std::string> valueForHTTPHeaderField(std::string_view name) const {
    return headers_.value(name);
  }
  void setValue(std::string_view value, std::string_view field) { headers_.set(field, value); }

 private:
  base::URL url_;
  CachePolicy cachePolicy_;
  double timeoutInterval_;
  NetworkServiceType serviceType_ = NetworkServiceType::Default;
  bool handlesCookies_ = true;
  HTTPHeaderFields headers_;
};

}  // namespace platform
