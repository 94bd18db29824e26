#pragma once

#include <cstdint>
#include <string>

#include "base/Value.h"

// Facts about the device and the application that travel with every ad request, and the
// operating-system version tests that decide which platform facilities the library may use.
// One instance lives for the process; values that can change are read afresh on every call.
class TADIdentifierUtilities {
 public:
  static TADIdentifierUtilities& sharedInstance();

  // The device's dotted system version text, read each time.
  std::string osVersion() const;
  // Fills each given out-parameter with the major, minor and bug-fix number of osVersion(): the
  // leading integer of each dot-separated piece, 0 for a missing piece or one with no digits.
  void getOSMajor(int32_t* major, int32_t* minor, int32_t* bugFix) const;
  bool isOSAtLeastMajor(int32_t major, int32_t minor, int32_t bug) const;

  // The device and application keys of the request parameters.
  base::Dictionary parameters() const;

 private:
  TADIdentifierUtilities() = default;
};
