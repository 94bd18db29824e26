#include "ads/Opener/TADOpenerScreens.h"

#include <cstdlib>

#include "base/Log.h"

namespace {
TADOpenerScreens*& installedScreens() {
  static TADOpenerScreens* screens = nullptr;
  return screens;
}
}  // namespace

TADOpenerScreens& TADOpenerScreens::library() {
  if (!installedScreens()) {
    base::Log::write(base::Log::Level::Critical, base::Log::Source::Library,
                     "TADOpener: no screens to present (the program lacks ads/WebApp)");
    std::abort();
  }
  return *installedScreens();
}

bool TADOpenerScreens::install(TADOpenerScreens& screens) {
  installedScreens() = &screens;
  return true;
}
