#pragma once

#include <optional>
#include <string>

#include "base/Value.h"

// What the program tells the ad server about the user's privacy, which the server is bound to
// honour: whether a consent regime covers the user (a law under which ads are personalised only
// with the user's consent), the user's consent as the program's consent tool encodes it, the
// user's choices under US privacy laws in their encoded form, and whether the ads are to be
// treated as directed at children. Each is unset until the program sets it, and only those set
// reach the page script: an unset one leaves the decision to the ad server.
struct TADPrivacySignals {
  std::optional<bool> consentRegimeApplies;
  std::optional<std::string> consentString;
  std::optional<std::string> usPrivacyString;
  std::optional<bool> childDirectedTreatment;

  // Adds a key for each signal that is set: the flags as "1" or "0", the texts as they are.
  void addTo(base::Dictionary& parameters) const;

  bool operator==(const TADPrivacySignals&) const = default;
};
