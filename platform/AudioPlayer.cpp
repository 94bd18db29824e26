#include "platform/AudioPlayer.h"

#include "platform/Platform.h"

namespace platform {

std::shared_ptr<AudioPlayer> AudioPlayer::create(const base::URL& url, base::Error* error) {
  AudioBackend* audio = Platform::current().audio.get();
  if (!audio) {
    if (error)
      *error = base::Error::withDescription(std::string(kErrorDomain), kNoAudioBackend,
                                            "this program plays no sound");
    return nullptr;
  }
  return audio->makePlayer(url, error);
}

}  // namespace platform
