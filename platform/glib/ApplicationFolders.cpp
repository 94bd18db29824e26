#include "platform/glib/ApplicationFolders.h"

#include <glib.h>

namespace platform::glib {

std::string applicationDataFolder() {
  return std::string(g_get_user_data_dir()) + "/quillbeck";
}

std::string applicationDocumentsFolder() {
  return applicationDataFolder() + "/Documents";
}

}  // namespace platform::glib
