#include "ads/ObjectPort/TADAdObject.h"

#include <cstdlib>

#include "base/Log.h"

namespace {
TADAdObject::Maker& installedMaker() {
  static TADAdObject::Maker maker;
  return maker;
}
}  // namespace

std::shared_ptr<TADAdObject> TADAdObject::makeForView(const std::shared_ptr<TADBannerView>& view) {
  if (!installedMaker()) {
    base::Log::write(base::Log::Level::Critical, base::Log::Source::Library,
                     "TADBannerView: no ad object to make (the program lacks ads/Object)");
    std::abort();
  }
  return installedMaker()(view);
}

bool TADAdObject::installMaker(Maker maker) {
  installedMaker() = std::move(maker);
  return true;
}
