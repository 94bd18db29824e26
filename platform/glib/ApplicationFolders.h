#pragma once

#include <string>

namespace platform::glib {

// Who the program is that the library runs in: its reverse-DNS identifier, the name it shows, its
// version, and the names of its own folders under the user's XDG base folders. Everything the
// library keeps for the program lives in those folders: fetched files in the caches folder, user
// defaults in the settings folder, website data and the "documents folder" in the data folder —
// so that what the library looks for beside the documents folder is looked for only in the
// program's folder, never in the user's home.
struct ApplicationIdentity {
  std::string applicationId;
  std::string name;
  std::string version;  // may stay empty
  // Folder names under XDG_CACHE_HOME, XDG_CONFIG_HOME and XDG_DATA_HOME.
  std::string cacheFolder;
  std::string settingsFolder;
  std::string dataFolder;

  // The identity with what was left empty filled in: the identifier from the program's name, the
  // name from GLib's application name, every folder name from the identifier.
  ApplicationIdentity completed() const;

  // <XDG cache folder>/<cacheFolder>
  std::string cachesDirectory() const;
  // <XDG config folder>/<settingsFolder>
  std::string settingsDirectory() const;
  // <XDG data folder>/<dataFolder>
  std::string dataDirectory() const;
  // <data folder>/Documents
  std::string documentsDirectory() const;
};

}  // namespace platform::glib
