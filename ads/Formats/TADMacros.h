#pragma once

// TADMacros: the ad library's two shorthands over the JSON codec, each with a fresh codec in its
// default settings.
//
// readJson: the dictionary that the text holds; none when there is no text, when the text does
// not read, or when its root is not an object.
// jsonify: the compact JSON text of a dictionary or an array; the empty string when it cannot be
// written (any other root included); none when there is no object.

#include <optional>
#include <string>

#include "base/Value.h"

class TADMacros {
 public:
  static std::optional<base::Dictionary> readJson(const std::optional<std::string>& text);
  static std::optional<std::string> jsonify(const base::Value* object);
};
