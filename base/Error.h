#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/Value.h"

namespace base {

// An error value: a domain naming who raised it, an integer code within that domain, and user
// information — human-readable texts under the keys below, plus whatever else the raiser adds —
// with an optional underlying error that caused it. Errors are immutable once made and shared.
class Error {
 public:
  static constexpr std::string_view kLocalizedDescriptionKey = "NSLocalizedDescription";
  static constexpr std::string_view kLocalizedFailureReasonKey = "NSLocalizedFailureReason";

  Error() = default;
  Error(std::string domain, int64_t code, Dictionary userInfo = {},
        std::shared_ptr<const Error> underlying = nullptr);
  // An error whose user information is only its description (under kLocalizedDescriptionKey).
  static Error withDescription(std::string domain, int64_t code, std::string description,
                               std::shared_ptr<const Error> underlying = nullptr);

  const std::string& domain() const { return domain_; }
  int64_t code() const { return code_; }
  const Dictionary& userInfo() const { return userInfo_; }
  const std::shared_ptr<const Error>& underlyingError() const { return underlying_; }

  // The description text, or "The operation couldn't be completed. (domain error code.)".
  std::string localizedDescription() const;
  // The failure reason text, or empty.
  std::string localizedFailureReason() const;

  // "Error Domain=<domain> Code=<code> \"<description>\"", followed by the underlying errors'
  // descriptions, one per line: what a console line shows of an error.
  std::string description() const;

 private:
  std::string domain_;
  int64_t code_ = 0;
  Dictionary userInfo_;
  std::shared_ptr<const Error> underlying_;
};

}  // namespace base
