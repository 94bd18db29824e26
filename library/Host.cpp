#include "tad/Host.h"

#include <utility>

#include "ads/Utility/TADConfiguration.h"
#include "base/URL.h"
#include "library/HostAccess.h"
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
  if (url->port()) origin += ":" + std::to_string(*url->port());
  return origin;
}

// The one host alive, if any.
Host* current = nullptr;

}  // namespace

const Identity& currentHostIdentity() {
  static const Identity none;
  return current ? current->identity() : none;
}

std::unique_ptr<Host> Host::create(const Identity& identity, GtkApplication* application,
                                   std::string* error) {
  if (platform::Platform::isInstalled()) {
    if (error) *error = "another host is alive: the library serves one host at a time";
    return nullptr;
  }
  platform::gtk::GtkPlatform::Options options;
  options.identity = platformIdentity(identity);
  base::Error problem;
  auto impl = std::make_unique<Impl>();
  impl->platform = platform::gtk::GtkPlatform::embed(std::move(options), application, &problem);
  if (!impl->platform) {
    if (error) *error = problem.localizedDescription();
    return nullptr;
  }
  impl->identity = publicIdentity(impl->platform->identity());
  return std::unique_ptr<Host>(new Host(std::move(impl)));
}

Host::Host(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
  current = this;
}

Host::~Host() {
  current = nullptr;
}

const Identity& Host::identity() const {
  return impl_->identity;
}

bool Host::setAdNetwork(const std::string& origin) {
  std::optional<std::string> checked = originOf(origin);
  if (!checked) return false;
  TADAdNetwork::pointAt(*checked);
  return true;
}

}  // namespace tad
