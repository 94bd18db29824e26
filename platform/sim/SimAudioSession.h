#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/media/AudioSession.h"

namespace platform::sim {

// An audio session whose answers a test sets: by default it sets up and routes to "Speaker".
class SimAudioSession : public AudioSession {
 public:
  int32_t initialize() override {
    ++initializeCalls_;
    return initializeStatus_;
  }
  int32_t currentRoute(std::optional<std::string>& routeName) override {
    if (routeStatus_ == 0) routeName = routeName_;
    return routeStatus_;
  }

  void setInitializeStatus(int32_t status) { initializeStatus_ = status; }
  // Nothing: the session answers success but names no route.
  void setRouteName(std::optional<std::string> name) { routeName_ = std::move(name); }
  void setRouteStatus(int32_t status) { routeStatus_ = status; }
  int initializeCalls() const { return initializeCalls_; }

 private:
  int32_t initializeStatus_ = 0;
  std::optional<std::string> routeName_ = "Speaker";
  int32_t routeStatus_ = 0;
  int initializeCalls_ = 0;
};

}  // namespace platform::sim
