#include "platform/AudioPlayer.h"

#include "platform/Platform.h"

namespace platform {

std::shared_ptr<AudioPlayer> AudioPlayer::create(const base::URL& url, base::Error* error) {
  return Platform::current().audio->makePlayer(url, error);
}

}  // namespace platform
