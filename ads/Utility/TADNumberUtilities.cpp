#include "ads/Utility/TADNumberUtilities.h"

#include <cstdio>

std::string TADNumberUtilities::stringWithFloat(float value) {
  char buffer[64];
  // "%f" of the C locale: the program never changes LC_NUMERIC, so the point stays ".".
  std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
  std::string text = buffer;
  if (text.find('.') == std::string::npos) return text;
  while (text.back() == '0')
    text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}
