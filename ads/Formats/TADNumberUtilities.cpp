#include "ads/Formats/TADNumberUtilities.h"

#include "base/NumberText.h"

std::string TADNumberUtilities::stringWithFloat(float value) {
  std::string text = base::fixedPoint(value, 6);
  if (text.find('.') == std::string::npos) return text;
  while (text.back() == '0')
    text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}
