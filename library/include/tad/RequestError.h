#pragma once

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
  Code code = Code::InvalidRequest;
  // "Request Error: " followed by what went wrong.
  std::string description{};
};

}  // namespace tad
