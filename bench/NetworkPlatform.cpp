#include "bench/NetworkPlatform.h"

#include <cstdlib>
#include <filesystem>

#include "platform/Platform.h"
#include "platform/glib/GlibClock.h"
#include "platform/glib/SoupURLLoading.h"
#include "platform/sim/SimConsole.h"
#include "platform/sim/SimDevice.h"

NetworkPlatform::NetworkPlatform()
    : runLoop_(std::make_shared<platform::glib::GlibRunLoop>()),
      application_(std::make_shared<platform::sim::SimApplication>()) {
  std::string folder = (std::filesystem::temp_directory_path() / "network-XXXXXX").string();
  if (::mkdtemp(folder.data())) caches_ = folder;

  auto services = std::make_shared<platform::Platform>();
  services->runLoop = runLoop_;
  services->clock = std::make_shared<platform::glib::GlibClock>();
  services->console = std::make_shared<platform::sim::SimConsole>();
  services->userDefaults = std::make_shared<platform::UserDefaults>();
  services->notificationCenter = std::make_shared<platform::NotificationCenter>();
  services->application = application_;
  services->device = std::make_shared<platform::sim::SimDevice>();
  services->urlLoading = std::make_shared<platform::glib::SoupURLLoading>(runLoop_);
  if (!caches_.empty()) services->cachesDirectory = caches_;
  platform::Platform::install(services);
}

NetworkPlatform::~NetworkPlatform() {
  platform::Platform::install(nullptr);
  if (!caches_.empty()) std::filesystem::remove_all(caches_);
}
