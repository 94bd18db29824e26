#include "platform/Platform.h"

#include <cstdlib>

#include "base/Log.h"
#include "platform/storage/SearchPaths.h"

namespace platform {

namespace {
std::shared_ptr<Platform>& installed() {
  static std::shared_ptr<Platform> platform;
  return platform;
}
}  // namespace

Platform& Platform::current() {
  if (!installed()) {
    base::Log::write(base::Log::Level::Critical, base::Log::Source::Library,
                     "platform: no platform backend installed");
    std::abort();
  }
  return *installed();
}

bool Platform::isInstalled() {
  return installed() != nullptr;
}

void Platform::install(std::shared_ptr<Platform> platform) {
  if (installed() && platform && installed() != platform) {
    base::Log::write(base::Log::Level::Critical, base::Log::Source::Library,
                     "platform: another platform is installed already");
    std::abort();
  }
  installed() = std::move(platform);
}

void Platform::uninstall(const Platform& platform) {
  if (installed().get() == &platform) installed().reset();
}

// The rooms' shared instances are the installed platform's: they are reached here, so that no room
// reaches up to the platform that holds them.
RunLoop& RunLoop::main() {
  return *Platform::current().runLoop;
}
NotificationCenter& NotificationCenter::defaultCenter() {
  return *Platform::current().notificationCenter;
}
Bundle& Bundle::main() {
  return *Platform::current().mainBundle;
}
UserDefaults& UserDefaults::standard() {
  return *Platform::current().userDefaults;
}
base::Expected<std::shared_ptr<AudioPlayer>> AudioPlayer::create(const base::URL& url) {
  AudioBackend* audio = Platform::current().audio.get();
  if (!audio) {
    return base::Error::withDescription(std::string(kErrorDomain), kNoAudioBackend,
                                        "this program plays no sound");
  }
  return audio->makePlayer(url);
}
ViewBackend& ViewBackend::current() {
  return *Platform::current().views;
}
ViewBackend* ViewBackend::installed() {
  return Platform::isInstalled() ? Platform::current().views.get() : nullptr;
}
Application& Application::shared() {
  return *Platform::current().application;
}
ApplicationServices& ApplicationServices::current() {
  return *Platform::current().application;
}
Clock& Clock::shared() {
  return *Platform::current().clock;
}
// The web engine may still answer after the program has let its platform go (a host destroyed
// while one of its pages is being set up): such a late line goes to the log, as the real
// backends' lines do, rather than ending the program.
void Console::log(std::string_view line) {
  if (!Platform::isInstalled()) {
    base::Log::write(base::Log::Level::Message, base::Log::Source::Library, line);
    return;
  }
  Platform::current().console->write(line);
}
void Console::logPageLine(std::string_view line) {
  if (!Platform::isInstalled()) {
    base::Log::write(base::Log::Level::Info, base::Log::Source::Page, line);
    return;
  }
  Platform::current().console->writePageLine(line);
}
Device& Device::current() {
  return *Platform::current().device;
}
AudioSession* AudioSession::shared() {
  return Platform::current().audioSession.get();
}
std::optional<std::string> documentsDirectory() {
  return Platform::current().documentsDirectory;
}
std::optional<std::string> cachesDirectory() {
  return Platform::current().cachesDirectory;
}
Screen& Screen::main() {
  return *Platform::current().screen;
}

std::unique_ptr<ReachabilityTarget> ReachabilityTarget::createWithName(std::string_view host) {
  const auto& backend = Platform::current().reachability;
  return backend ? backend->makeTarget(host) : nullptr;
}

UserDefaults* UserDefaults::standardIfInstalled() {
  const auto& platform = installed();
  return platform ? platform->userDefaults.get() : nullptr;
}
void RunLoop::cancelOnMain(const void* owner) {
  if (const auto& platform = installed()) platform->runLoop->cancel(owner);
}
void NotificationCenter::removeObserverFromDefaultCenter(const void* observer) {
  if (const auto& platform = installed()) platform->notificationCenter->removeObserver(observer);
}
void Application::endSharedBackgroundTask(BackgroundTaskIdentifier identifier) {
  if (const auto& platform = installed()) platform->application->endBackgroundTask(identifier);
}

std::shared_ptr<URLConnection> URLConnection::connectionWithRequest(
    const URLRequest& request, std::weak_ptr<URLConnectionDelegate> delegate) {
  const auto& backend = Platform::current().urlLoading;
  return backend ? backend->makeConnection(request, std::move(delegate)) : nullptr;
}

}  // namespace platform
