#include "tad/Request.h"

#include "ads/Request/TADRequest.h"
#include "library/RequestAccess.h"

namespace tad {

namespace {

// A request of its own with the same settings: nothing shared with the original.
std::shared_ptr<TADRequest> independentCopy(const TADRequest& original) {
  std::shared_ptr<TADRequest> copy = original.copy();
  if (auto keywords = original.keywords())
    copy->setKeywords(std::make_shared<TADRequest::Keywords>(*keywords));
  if (auto parameters = original.additionalParameters())
    copy->setAdditionalParameters(std::make_shared<base::Dictionary>(*parameters));
  return copy;
}

// The library's request keeps every privacy signal in one value: each setter changes its own.
template <typename Change>
void changeSignals(TADRequest& request, Change change) {
  TADPrivacySignals signals = request.privacySignals();
  change(signals);
  request.setPrivacySignals(std::move(signals));
}

std::optional<std::string> unlessEmpty(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace

Request::Request() : impl_(std::make_unique<Impl>(Impl{TADRequest::request()})) {}

Request::~Request() = default;

Request::Request(const Request& other)
    : impl_(std::make_unique<Impl>(Impl{independentCopy(*other.impl_->request)})) {}

Request& Request::operator=(const Request& other) {
  if (this != &other) impl_->request = independentCopy(*other.impl_->request);
  return *this;
}

void Request::setTesting(bool testing) {
  impl_->request->setTesting(testing);
}

bool Request::isTesting() const {
  return impl_->request->isTesting();
}

void Request::setTestDevices(std::vector<std::string> devices) {
  impl_->request->setTestDevices(std::move(devices));
}

void Request::setGender(Gender gender) {
  impl_->request->setGender(static_cast<int32_t>(gender));
}

void Request::setBirthday(int year, int month, int day) {
  impl_->request->setBirthdayWithMonth(month, day, year);
}

void Request::addKeyword(const std::string& keyword) {
  impl_->request->addKeyword(keyword);
}

std::vector<std::string> Request::keywords() const {
  auto keywords = impl_->request->keywords();
  return keywords ? *keywords : std::vector<std::string>{};
}

void Request::setLocation(double latitude, double longitude, double accuracy) {
  impl_->request->setLocationWithLatitude(
      static_cast<float>(latitude), static_cast<float>(longitude), static_cast<float>(accuracy));
}

void Request::setLocationDescription(const std::string& description) {
  impl_->request->setLocationWithDescription(description);
}

void Request::setAdditionalParameter(const std::string& name, const std::string& value) {
  std::shared_ptr<base::Dictionary> parameters = impl_->request->additionalParameters();
  if (!parameters) {
    parameters = std::make_shared<base::Dictionary>();
    impl_->request->setAdditionalParameters(parameters);
  }
  parameters->set(name, value);
}

void Request::setConsentRegimeApplies(bool applies) {
  changeSignals(*impl_->request, [&](auto& signals) { signals.consentRegimeApplies = applies; });
}

void Request::clearConsentRegimeApplies() {
  changeSignals(*impl_->request, [](auto& signals) { signals.consentRegimeApplies.reset(); });
}

std::optional<bool> Request::consentRegimeApplies() const {
  return impl_->request->privacySignals().consentRegimeApplies;
}

void Request::setConsentString(const std::string& consent) {
  changeSignals(*impl_->request,
                [&](auto& signals) { signals.consentString = unlessEmpty(consent); });
}

std::string Request::consentString() const {
  return impl_->request->privacySignals().consentString.value_or("");
}

void Request::setUSPrivacyString(const std::string& choices) {
  changeSignals(*impl_->request,
                [&](auto& signals) { signals.usPrivacyString = unlessEmpty(choices); });
}

std::string Request::usPrivacyString() const {
  return impl_->request->privacySignals().usPrivacyString.value_or("");
}

void Request::setChildDirectedTreatment(bool childDirected) {
  changeSignals(*impl_->request,
                [&](auto& signals) { signals.childDirectedTreatment = childDirected; });
}

void Request::clearChildDirectedTreatment() {
  changeSignals(*impl_->request, [](auto& signals) { signals.childDirectedTreatment.reset(); });
}

std::optional<bool> Request::childDirectedTreatment() const {
  return impl_->request->privacySignals().childDirectedTreatment;
}

// The library's own description begins with the request's address, which differs from run to
// run and from copy to copy; the lines of the hints follow it, then those of the privacy signals.
std::string Request::description() const {
  std::string text = impl_->request->description();
  size_t head = text.find(">: ");
  text = "tad::Request" + (head == std::string::npos ? text : text.substr(head + 3));
  const TADPrivacySignals& signals = impl_->request->privacySignals();
  auto flag = [](bool on) { return on ? "yes" : "no"; };
  if (signals.consentRegimeApplies)
    text += std::string("\nconsentRegimeApplies:") + flag(*signals.consentRegimeApplies);
  if (signals.consentString) text += "\nconsentString:" + *signals.consentString;
  if (signals.usPrivacyString) text += "\nusPrivacyString:" + *signals.usPrivacyString;
  if (signals.childDirectedTreatment)
    text += std::string("\nchildDirectedTreatment:") + flag(*signals.childDirectedTreatment);
  return text;
}

}  // namespace tad
