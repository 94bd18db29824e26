#include "platform/glib/ApplicationFolders.h"

#include <glib.h>

namespace platform::glib {

ApplicationIdentity ApplicationIdentity::completed() const {
  ApplicationIdentity identity = *this;
  if (identity.applicationId.empty()) {
    const char* program = g_get_prgname();
    identity.applicationId = program && *program ? program : "tad";
  }
  if (identity.name.empty()) {
    const char* name = g_get_application_name();
    identity.name = name && *name ? name : identity.applicationId;
  }
  for (std::string* field :
       {&identity.cacheFolder, &identity.settingsFolder, &identity.dataFolder}) {
    if (field->empty()) *field = identity.applicationId;
  }
  return identity;
}

std::string ApplicationIdentity::cachesDirectory() const {
  return std::string(g_get_user_cache_dir()) + "/" + cacheFolder;
}

std::string ApplicationIdentity::settingsDirectory() const {
  return std::string(g_get_user_config_dir()) + "/" + settingsFolder;
}

std::string ApplicationIdentity::dataDirectory() const {
  return std::string(g_get_user_data_dir()) + "/" + dataFolder;
}

std::string ApplicationIdentity::documentsDirectory() const {
  return dataDirectory() + "/Documents";
}

}  // namespace platform::glib
