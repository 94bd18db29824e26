#include "tad/Host.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "ads/Configuration/TADAdNetwork.h"
#include "base/Log.h"
#include "base/URL.h"
#include "library/HostAccess.h"
#include "library/LogRoute.h"
#include "platform/Device.h"
#include "platform/Platform.h"
#include "platform/gtk/GtkPlatform.h"

namespace tad {

struct Host::Impl {
  std::unique_ptr<platform::gtk::GtkPlatform> platform;
  Identity identity;
};

namespace {

platform::glib::ApplicationIdentity platformIdentity(const Identity& identity) {
  return platform::glib::ApplicationIdentity{identity.applicationId,  identity.name,
                                             identity.version,        identity.cacheFolder,
                                             identity.settingsFolder, identity.dataFolder}
      .completed();
}

Identity publicIdentity(const platform::glib::ApplicationIdentity& identity) {
  return Identity{identity.applicationId, identity.name,           identity.version,
                  identity.cacheFolder,   identity.settingsFolder, identity.dataFolder};
}

// "scheme://host[:port]" of an http or https address that names nothing but an origin.
std::optional<std::string> originOf(const std::string& text) {
  std::optional<base::URL> url = base::URL::fromString(text);
  if (!url || !url->isHTTPOrigin()) return std::nullopt;
  std::string origin = url->scheme() + "://" + url->host();
  if (url->port()) origin.append(":").append(std::to_string(*url->port()));
  return origin;
}

// The one host alive, if any, and the banners made on it that live.
Host* current = nullptr;
std::vector<HostedBanner*> banners;

}  // namespace

bool joinHost(HostedBanner& banner) {
  if (!current) return false;
  banners.push_back(&banner);
  return true;
}

void leaveHost(HostedBanner& banner) {
  banners.erase(std::remove(banners.begin(), banners.end(), &banner), banners.end());
}

const Identity& currentHostIdentity() {
  static const Identity none;
  return current ? current->identity() : none;
}

std::unique_ptr<Host> Host::create(const Identity& identity, GtkApplication* application,
                                   std::string* error) {
  routeLibraryLog();
  if (platform::Platform::isInstalled()) {
    if (error) *error = "another host is alive: the library serves one host at a time";
    return nullptr;
  }
  platform::gtk::GtkPlatform::Options options;
  options.identity = platformIdentity(identity);
  auto embedded = platform::gtk::GtkPlatform::embed(std::move(options), application);
  if (!embedded) {
    if (error) *error = embedded.error().localizedDescription();
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->platform = std::move(*embedded);
  impl->identity = publicIdentity(impl->platform->identity());
  return std::unique_ptr<Host>(new Host(std::move(impl)));
}

Host::Host(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
  current = this;
}

// Banners should have gone first. Those still alive are a mistake of the program's that must not
// end it: each lets go of what it made on the platform (a screen it shows closes, telling its
// delegate) and stays behind as an empty widget.
Host::~Host() {
  if (!banners.empty()) {
    base::Log::write(base::Log::Level::Critical, base::Log::Source::Library,
                     "tad::Host destroyed while " + std::to_string(banners.size()) +
                         " tad::Banner(s) live: destroy every banner before the host; these show "
                         "no more ads");
  }
  while (!banners.empty()) {
    HostedBanner* banner = banners.back();
    banners.pop_back();
    banner->hostWillGo();
  }
  current = nullptr;
}

const Identity& Host::identity() const {
  return impl_->identity;
}

std::string Host::deviceIdentifier() const {
  return platform::Device::current().uniqueIdentifier();
}

bool Host::setAdNetwork(const std::string& origin) {
  std::optional<std::string> checked = originOf(origin);
  if (!checked) return false;
  TADAdNetwork::pointAt(*checked);
  return true;
}

}  // namespace tad
