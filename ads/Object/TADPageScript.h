#pragma once

#include <string>

#include "base/URL.h"

// Where the ad network's page script is, and how long its stored copy is trusted: kLifetime
// seconds from the start of its latest check, kept in the "TADObjectPrivate" statistics record,
// so that the script is fetched at most once a day.
class TADPageScript {
 public:
  static constexpr double kLifetime = 86400;

  // The script's address, on the configured static host.
  static base::URL url();
  // Whether a stored copy (hasStoredCopy) may be used without a check. When not, the lifetime
  // starts anew now, whether or not the check that follows succeeds.
  static bool trustStoredCopyOrRenew(bool hasStoredCopy);
};
