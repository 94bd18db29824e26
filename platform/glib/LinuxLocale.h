#pragma once

#include <string>
#include <vector>

namespace platform::glib {

// The user's preferred languages, most preferred first, as language tags ("en-US", "en") made
// from the locale names the C library and GLib derive from LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
// The neutral "C" and "POSIX" locales name no language and are left out.
class LinuxLocale {
 public:
  static std::vector<std::string> preferredLanguages();
  // The tags for locale names such as "de_CH.UTF-8@euro": encoding and modifier dropped, "_"
  // turned into "-", each tag once.
  static std::vector<std::string> languagesFromLocaleNames(const std::vector<std::string>& names);
};

}  // namespace platform::glib
