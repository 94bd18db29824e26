#include "base/Error.h"

namespace base {

Error::Error(std::string domain, int64_t code, Dictionary userInfo,
             std::shared_ptr<const Error> underlying)
    : domain_(std::move(domain)),
      code_(code),
      userInfo_(std::move(userInfo)),
      underlying_(std::move(underlying)) {}

Error Error::withDescription(std::string domain, int64_t code, std::string description,
                             std::shared_ptr<const Error> underlying) {
  Dictionary info;
  info.set(std::string(kLocalizedDescriptionKey), std::move(description));
  return Error(std::move(domain), code, std::move(info), std::move(underlying));
}

std::string Error::localizedDescription() const {
  std::string text = userInfo_.stringForKey(kLocalizedDescriptionKey).value_or("");
  if (!text.empty()) return text;
  return "The operation couldn't be completed. (" + domain_ + " error " + std::to_string(code_) +
         ".)";
}

std::string Error::localizedFailureReason() const {
  return userInfo_.stringForKey(kLocalizedFailureReasonKey).value_or("");
}

std::string Error::description() const {
  std::string text = "Error Domain=" + domain_ + " Code=" + std::to_string(code_) + " \"" +
                     localizedDescription() + "\"";
  for (const Error* cause = underlying_.get(); cause; cause = cause->underlying_.get()) {
    text += "\n  caused by: Error Domain=" + cause->domain_ +
            " Code=" + std::to_string(cause->code_) + " \"" + cause->localizedDescription() + "\"";
  }
  return text;
}

}  // namespace base
