#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The orientations a full-screen ad screen allows. The codes are those the ad network and the
// screens' settings use; None is no choice, which leaves a screen's orientations as they were.
enum class TADOrientations : int32_t {
  None = 0,
  Any = 1,
  Portrait = 2,
  Landscape = 3,
};

// "any", "portrait" or "landscape", exactly as written; anything else, and no text, is None.
inline TADOrientations orientationsFromString(const std::optional<std::string_view>& text) {
  if (text == "any") return TADOrientations::Any;
  if (text == "portrait") return TADOrientations::Portrait;
  if (text == "landscape") return TADOrientations::Landscape;
  return TADOrientations::None;
}
