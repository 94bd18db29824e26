#pragma once

#include <memory>
#include <string>

#include "platform/glib/GlibRunLoop.h"
#include "platform/sim/SimApplication.h"

// A platform for fetching over real HTTP, installed for its lifetime: the GLib main loop and
// clock, libsoup URL loading, and a caches folder of its own that goes with it; the rest
// (application, device, console, settings) simulated.
class NetworkPlatform {
 public:
  NetworkPlatform();
  ~NetworkPlatform();
  NetworkPlatform(const NetworkPlatform&) = delete;
  NetworkPlatform& operator=(const NetworkPlatform&) = delete;

  platform::glib::GlibRunLoop& runLoop() { return *runLoop_; }
  platform::sim::SimApplication& application() { return *application_; }
  const std::string& cachesDirectory() const { return caches_; }

 private:
  std::shared_ptr<platform::glib::GlibRunLoop> runLoop_;
  std::shared_ptr<platform::sim::SimApplication> application_;
  std::string caches_;
};
