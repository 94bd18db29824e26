#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "platform/sim/SimApplication.h"
#include "platform/sim/SimAudioBackend.h"
#include "platform/sim/SimAudioSession.h"
#include "platform/sim/SimButtonPeer.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimConsole.h"
#include "platform/sim/SimDevice.h"
#include "platform/sim/SimReachability.h"
#include "platform/sim/SimRunLoop.h"
#include "platform/sim/SimScreen.h"
#include "platform/sim/SimURLLoading.h"
#include "platform/sim/SimViewBackend.h"
#include "platform/sim/SimViewPeer.h"
#include "platform/sim/SimWebViewPeer.h"

namespace platform::sim {

// The simulated platform, installed for its lifetime: a test makes one (usually as a fixture
// member) and drives and inspects it through the accessors. Resources are looked up in
// resourcePath (by default a folder that does not exist); the bundle is
// "com.quillbeck.soundboard", version "1.0".
class SimPlatform {
 public:
  explicit SimPlatform(std::string resourcePath = "/nonexistent-resources");
  ~SimPlatform();
  SimPlatform(const SimPlatform&) = delete;
  SimPlatform& operator=(const SimPlatform&) = delete;

  SimRunLoop& runLoop() { return *runLoop_; }
  SimClock& clock() { return *clock_; }
  SimConsole& console() { return *console_; }
  UserDefaults& userDefaults() { return *platform_->userDefaults; }
  NotificationCenter& notificationCenter() { return *platform_->notificationCenter; }
  SimApplication& application() { return *application_; }
  SimDevice& device() { return *device_; }
  SimScreen& screen() { return *screen_; }
  SimAudioBackend& audio() { return *audio_; }
  SimReachability& reachability() { return *reachability_; }
  Bundle& mainBundle() { return *platform_->mainBundle; }
  SimAudioSession& audioSession() { return *audioSession_; }
  SimURLLoading& urlLoading() { return *urlLoading_; }

  // Whether the platform offers an audio session at all (it does by default).
  void setAudioSessionAvailable(bool available);
  // Whether the platform can load URLs at all (it can by default).
  void setURLLoadingAvailable(bool available);
  // Nothing (the default) when the platform has no documents folder.
  void setDocumentsDirectory(std::optional<std::string> path);
  // Nothing (the default) when the platform has no caches folder.
  void setCachesDirectory(std::optional<std::string> path);

  // Makes the device a tablet: idiom, model and a 768×1024 screen.
  void becomeTablet();

 private:
  std::shared_ptr<Platform> platform_;
  std::shared_ptr<SimRunLoop> runLoop_;
  std::shared_ptr<SimClock> clock_;
  std::shared_ptr<SimConsole> console_;
  std::shared_ptr<SimApplication> application_;
  std::shared_ptr<SimDevice> device_;
  std::shared_ptr<SimScreen> screen_;
  std::shared_ptr<SimAudioBackend> audio_;
  std::shared_ptr<SimReachability> reachability_;
  std::shared_ptr<SimAudioSession> audioSession_;
  std::shared_ptr<SimURLLoading> urlLoading_;
};

}  // namespace platform::sim
