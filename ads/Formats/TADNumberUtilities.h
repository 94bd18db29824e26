#pragma once

#include <string>

// Number texts of the request parameters.
class TADNumberUtilities {
 public:
  TADNumberUtilities() = delete;

  // value in fixed point with at most six decimals and no trailing zeros: 1.5 → "1.5",
  // 2 → "2", 100 → "100", with a point in every locale. Infinities and not-a-number give "inf",
  // "-inf" and "nan".
  static std::string stringWithFloat(float value);
};
