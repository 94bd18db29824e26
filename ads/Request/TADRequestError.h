#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ads/Utility/TADErrorDomain.h"
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
// carries every request parameter that was (or would have been) sent.
class TADRequestError : public base::Error {
 public:
  // The parameters of an invalid-request error are built as for sending, with the same effects:
  // the pending statistics report goes with them. request may be absent (for codes other than 0
  // it is not read).
  TADRequestError(int64_t code, const TADRequest* request);

  static std::shared_ptr<TADRequestError> errorWithCode(int64_t code, const TADRequest* request);
  // "Request Error: " followed by the code's text; unknown codes read as an invalid request.
  static std::string localizedStringForErrorCode(int64_t code);
};
