#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Error.h"

namespace platform {

// The errors with which URL loading fails, in the domain and with the codes of the platform the
// library was written for, so that code and console lines read the same on every backend.
struct URLError {
  static constexpr std::string_view kDomain = "NSURLErrorDomain";
  // The URL that failed, as text, in the error's user information.
  static constexpr std::string_view kFailingURLStringKey = "NSErrorFailingURLStringKey";

  enum Code : int64_t {
    Unknown = -1,
    Cancelled = -999,
    BadURL = -1000,
    TimedOut = -1001,
    UnsupportedURL = -1002,
    CannotFindHost = -1003,
    CannotConnectToHost = -1004,
    NetworkConnectionLost = -1005,
    HTTPTooManyRedirects = -1007,
    NotConnectedToInternet = -1009,
    BadServerResponse = -1011,
    DataLengthExceedsMaximum = -1103,
    SecureConnectionFailed = -1200,
  };

  // An error of code with its standard description ("The request timed out.", …), the failing
  // URL's text, and the backend's own account of what went wrong, if any, as the failure reason.
  static base::Error make(Code code, std::string_view failingURL, std::string_view reason = {});
  static std::string_view description(Code code);
};

}  // namespace platform
