#pragma once

#include <optional>
#include <string>

namespace tad {

// Why a banner got no ad.
struct RequestError {
  enum class Code {
    InvalidRequest = 0,
    NoAd = 1,
    Network = 2,
    Server = 3,
    SystemTooOld = 4,
    Timeout = 5,
  };
  // An error reported from below the library, in the words of what reported it.
  struct Underlying {
    // Who reported it, as a reverse-DNS or library name, and its code there.
    std::string domain{};
    long long code = 0;
    std::string description{};
  };

  Code code = Code::InvalidRequest;
  // "Request Error: " followed by what went wrong.
  std::string description{};
  // The HTTP status of the answer the failure came from (the ad server's, or that of the script
  // that builds the ad's address), when an answer came.
  std::optional<int> httpStatus{};
  // What failed underneath (a connection refused, a name not found, the ad's page not loading),
  // when something did.
  std::optional<Underlying> underlyingError{};
};

}  // namespace tad
