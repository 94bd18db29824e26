#pragma once

#include <optional>
#include <string>

namespace platform {

// The user's documents folder, or nothing where the platform has none.
std::optional<std::string> documentsDirectory();
// The folder for the application's caches (files that can be fetched again), or nothing.
std::optional<std::string> cachesDirectory();

}  // namespace platform
