#pragma once

#include <string>

namespace platform::glib {

// The application's own folders under the user's XDG base folders. Everything the application
// keeps for the user lives in its data folder; its "documents folder" is a folder inside it, so
// that what the library looks for beside the documents folder is looked for only in the
// application's folder, never in the user's home.

// <XDG data folder>/quillbeck
std::string applicationDataFolder();
// <XDG data folder>/quillbeck/Documents
std::string applicationDocumentsFolder();

}  // namespace platform::glib
