#include "platform/glib/LinuxLocale.h"

#include <glib.h>

#include <algorithm>

namespace platform::glib {

std::vector<std::string> LinuxLocale::preferredLanguages() {
  std::vector<std::string> names;
  for (const gchar* const* name = g_get_language_names(); name && *name; ++name) {
    names.emplace_back(*name);
  }
  return languagesFromLocaleNames(names);
}

std::vector<std::string> LinuxLocale::languagesFromLocaleNames(
    const std::vector<std::string>& names) {
  std::vector<std::string> tags;
  for (const std::string& name : names) {
    std::string tag = name.substr(0, name.find_first_of(".@"));
    if (tag.empty() || tag == "C" || tag == "POSIX") continue;
    std::replace(tag.begin(), tag.end(), '_', '-');
    if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(tag);
  }
  return tags;
}

}  // namespace platform::glib
