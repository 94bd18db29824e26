#include "ads/Request/TADRequestError.h"

#include <cstdio>
#include <utility>

#include "ads/Device/TADIdentifierUtilities.h"
#include "ads/Request/TADRequestPrivate.h"

namespace {

constexpr const char* kInvalidRequestText =
    "Invalid ad request parameter(s).  Check the Xcode console for details.";

std::string osTooOldText() {
  int32_t major = 0;
  int32_t minor = 0;
  int32_t bugFix = 0;
  TADIdentifierUtilities::sharedInstance().getOSMajor(&major, &minor, &bugFix);
  char text[128];
  std::snprintf(text, sizeof text,
                "This device's OS is %i.%i.%i.  It is below the minimum of %i.%i.", major, minor,
                bugFix, 3, 0);
  return text;
}

std::string textForCode(int64_t code) {
  switch (code) {
    case TADRequestErrorNoAd:
      return "No ad to show.";
    case TADRequestErrorNetwork:
      return "A network error occurred.";
    case TADRequestErrorServer:
      return "Server error processing the request.";
    case TADRequestErrorOSTooOld:
      return osTooOldText();
    case TADRequestErrorTimeout:
      return "The Talvik Ad request was unable to be fulfilled before a timeout occurred.";
    default:
      return kInvalidRequestText;
  }
}

base::Dictionary userInfoFor(int64_t code, const TADRequest* request) {
  std::string text = TADRequestError::localizedStringForErrorCode(code);
  base::Dictionary info{{std::string(base::Error::kLocalizedDescriptionKey), text},
                        {std::string(base::Error::kLocalizedFailureReasonKey), text}};
  if (code != TADRequestErrorInvalidRequest) return info;
  if (auto* privateRequest = dynamic_cast<const TADRequestPrivate*>(request)) {
    info.merge(privateRequest->parameters());
  }
  return info;
}

}  // namespace

TADRequestError::TADRequestError(int64_t code, const TADRequest* request, Cause cause)
    : base::Error(std::string(kTADErrorDomain), code, userInfoFor(code, request),
                  std::move(cause.underlying)),
      httpStatus_(cause.httpStatus) {}

std::shared_ptr<TADRequestError> TADRequestError::errorWithCode(int64_t code,
                                                                const TADRequest* request,
                                                                Cause cause) {
  return std::make_shared<TADRequestError>(code, request, std::move(cause));
}

std::string TADRequestError::localizedStringForErrorCode(int64_t code) {
  return "Request Error: " + textForCode(code);
}
