#include "Classes/quillbeckDesktopBackends.h"

#include <memory>

#include "platform/audio/PulseAudioSession.h"
#include "platform/plist/PlistReading.h"
#include "platform/plist/PlistUserDefaults.h"

namespace quillbeckDesktopBackends {

void prepare(platform::gtk::GtkPlatform::Options& options) {
  options.userDefaultsFormat = platform::plist::PlistFormat::shared();
}

void addTo(platform::gtk::GtkPlatform& platform, platform::audio::GstAudioBackend::Output output) {
  platform::Platform& services = platform.services();
  services.propertyLists = std::make_shared<platform::plist::PlistReading>();
  services.audioSession = std::make_shared<platform::audio::PulseAudioSession>();
  // Made on the installed platform: it may already have something to say on its console.
  services.audio = std::make_shared<platform::audio::GstAudioBackend>(output);
}

}  // namespace quillbeckDesktopBackends
