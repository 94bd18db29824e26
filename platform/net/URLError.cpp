#include "platform/net/URLError.h"

namespace platform {

std::string_view URLError::description(Code code) {
  switch (code) {
    case Cancelled:
      return "cancelled";
    case BadURL:
      return "bad URL";
    case TimedOut:
      return "The request timed out.";
    case UnsupportedURL:
      return "unsupported URL";
    case CannotFindHost:
      return "A server with the specified hostname could not be found.";
    case CannotConnectToHost:
      return "Could not connect to the server.";
    case NetworkConnectionLost:
      return "The network connection was lost.";
    case HTTPTooManyRedirects:
      return "too many HTTP redirects";
    case NotConnectedToInternet:
      return "The Internet connection appears to be offline.";
    case BadServerResponse:
      return "The server returned an invalid response.";
    case DataLengthExceedsMaximum:
      return "resource exceeds maximum size";
    case SecureConnectionFailed:
      return "An SSL error has occurred and a secure connection to the server cannot be made.";
    case Unknown:
      break;
  }
  return "unknown error";
}

base::Error URLError::make(Code code, std::string_view failingURL, std::string_view reason) {
  base::Dictionary info;
  info.set(std::string(base::Error::kLocalizedDescriptionKey), std::string(description(code)));
  if (!reason.empty()) {
    info.set(std::string(base::Error::kLocalizedFailureReasonKey), std::string(reason));
  }
  info.set(std::string(kFailingURLStringKey), std::string(failingURL));
  return base::Error(std::string(kDomain), code, std::move(info));
}

}  // namespace platform
