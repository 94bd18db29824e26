#pragma once

#include <optional>
#include <string>

namespace platform {

// The user's documents folder, or nothing where the platform has none.
std::optional<std::string> documentsDirectory();

}  // namespace platform
