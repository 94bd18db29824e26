#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ads/Configuration/TADErrorDomain.h"
#include "base/Error.h"

class TADRequest;

enum TADRequestErrorCode : int64_t {
  TADRequestErrorInvalidRequest = 0,
  TADRequestErrorNoAd = 1,
  TADRequestErrorNetwork = 2,
  TADRequestErrorServer = 3,
  TADRequestErrorOSTooOld = 4,
  TADRequestErrorTimeout = 5,
};

// Why an ad could not be had, as the application's banner delegate hears it. The text of the code
// stands under both the description and the failure-reason keys; an invalid-request error also
// carries every request parameter that was (or would have been) sent. A failure that came from
// an HTTP answer carries its status, and one that something underneath reported (a connection, a
// page load) carries that error as its underlying one.
class TADRequestError : public base::Error {
 public:
  // What the failed load itself knew of the failure.
  struct Cause {
    std::optional<int> httpStatus;
    std::shared_ptr<const base::Error> underlying;
  };

  // The parameters of an invalid-request error are built as for sending, with the same effects:
  // the pending statistics report goes with them. request may be absent (for codes other than 0
  // it is not read).
  TADRequestError(int64_t code, const TADRequest* request, Cause cause = {});

  static std::shared_ptr<TADRequestError> errorWithCode(int64_t code, const TADRequest* request,
                                                        Cause cause = {});
  // The status of the HTTP answer the failure came from, if it came from one.
  const std::optional<int>& httpStatus() const { return httpStatus_; }
  // "Request Error: " followed by the code's text; unknown codes read as an invalid request.
  static std::string localizedStringForErrorCode(int64_t code);

 private:
  std::optional<int> httpStatus_;
};
