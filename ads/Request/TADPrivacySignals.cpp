#include "ads/Request/TADPrivacySignals.h"

#include "ads/Request/TADRequestParameters.h"

namespace {

void setFlag(base::Dictionary& parameters, std::string_view key, const std::optional<bool>& flag) {
  if (flag) parameters.set(std::string(key), *flag ? "1" : "0");
}

void setText(base::Dictionary& parameters, std::string_view key,
             const std::optional<std::string>& text) {
  if (text) parameters.set(std::string(key), *text);
}

}  // namespace

void TADPrivacySignals::addTo(base::Dictionary& parameters) const {
  setFlag(parameters, kTADParameterConsentRegime, consentRegimeApplies);
  setText(parameters, kTADParameterConsentString, consentString);
  setText(parameters, kTADParameterUSPrivacy, usPrivacyString);
  setFlag(parameters, kTADParameterChildDirected, childDirectedTreatment);
}
