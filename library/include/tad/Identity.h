#pragma once

#include <string>

namespace tad {

// Who the host program is, as the library presents it and keeps its files: the reverse-DNS
// application identifier (also the identifier that ad requests carry), the name it shows, its
// version, and the names of its folders under the user's XDG base folders — fetched files under
// $XDG_CACHE_HOME/<cacheFolder>, the library's settings under $XDG_CONFIG_HOME/<settingsFolder>,
// website data under $XDG_DATA_HOME/<dataFolder>/WebKit. A folder name left empty is the
// application identifier; an empty identifier is the program's name.
struct Identity {
  std::string applicationId{};
  std::string name{};
  std::string version{};
  std::string cacheFolder{};
  std::string settingsFolder{};
  std::string dataFolder{};
};

}  // namespace tad
