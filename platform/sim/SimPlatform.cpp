#include "platform/sim/SimPlatform.h"

namespace platform::sim {

SimPlatform::SimPlatform(std::string resourcePath)
    : platform_(std::make_shared<Platform>()),
      runLoop_(std::make_shared<SimRunLoop>()),
      clock_(std::make_shared<SimClock>(runLoop_)),
      console_(std::make_shared<SimConsole>()),
      application_(std::make_shared<SimApplication>()),
      device_(std::make_shared<SimDevice>()),
      screen_(std::make_shared<SimScreen>(*application_)),
      audio_(std::make_shared<SimAudioBackend>(runLoop_)),
      reachability_(std::make_shared<SimReachability>()),
      audioSession_(std::make_shared<SimAudioSession>()),
      urlLoading_(std::make_shared<SimURLLoading>(runLoop_)) {
  platform_->runLoop = runLoop_;
  platform_->clock = clock_;
  platform_->console = console_;
  platform_->userDefaults = std::make_shared<UserDefaults>();
  platform_->notificationCenter = std::make_shared<NotificationCenter>();
  platform_->application = application_;
  platform_->device = device_;
  platform_->screen = screen_;
  platform_->mainBundle = std::make_shared<Bundle>(std::move(resourcePath));
  platform_->mainBundle->setBundleIdentifier("com.quillbeck.soundboard");
  platform_->mainBundle->setBundleVersion("1.0");
  platform_->audio = audio_;
  platform_->views = std::make_shared<SimViewBackend>();
  platform_->reachability = reachability_;
  platform_->audioSession = audioSession_;
  platform_->urlLoading = urlLoading_;
  Platform::install(platform_);
}

SimPlatform::~SimPlatform() {
  // What the application holds goes while the platform it was made on is still there.
  application_->setDelegate(nullptr);
  Platform::uninstall(*platform_);
}

void SimPlatform::setAudioSessionAvailable(bool available) {
  platform_->audioSession = available ? audioSession_ : nullptr;
}

void SimPlatform::setURLLoadingAvailable(bool available) {
  platform_->urlLoading = available ? urlLoading_ : nullptr;
}

void SimPlatform::setDocumentsDirectory(std::optional<std::string> path) {
  platform_->documentsDirectory = std::move(path);
}

void SimPlatform::setCachesDirectory(std::optional<std::string> path) {
  platform_->cachesDirectory = std::move(path);
}

void SimPlatform::becomeTablet() {
  device_->setModel("iPad");
  device_->setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
  screen_->setBounds({0, 0, 768, 1024});
}

}  // namespace platform::sim
