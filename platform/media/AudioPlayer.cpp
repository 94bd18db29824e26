#include "platform/media/AudioPlayer.h"

#include "platform/Platform.h"

namespace platform {

base::Expected<std::shared_ptr<AudioPlayer>> AudioPlayer::create(const base::URL& url) {
  AudioBackend* audio = Platform::current().audio.get();
  if (!audio) {
    return base::Error::withDescription(std::string(kErrorDomain), kNoAudioBackend,
                                        "this program plays no sound");
  }
  return audio->makePlayer(url);
}

}  // namespace platform
