#include "platform/sim/SimAudioBackend.h"

#include <fstream>

#include "platform/sim/SimAudioPlayer.h"

namespace platform::sim {

namespace {

bool hasMp4Header(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  char header[8] = {};
  if (!file.read(header, sizeof header)) return false;
  return std::string_view(header + 4, 4) == "ftyp";
}

base::Error fail(int code, const std::string& message) {
  return base::Error::withDescription(std::string(AudioPlayer::kErrorDomain), code, message);
}

}  // namespace

base::Expected<std::shared_ptr<AudioPlayer>> SimAudioBackend::makePlayer(const base::URL& url) {
  std::string path = url.path();
  if (!url.isFileURL() || !std::ifstream(path).good()) {
    return fail(1, "Cannot open " + url.absoluteString());
  }
  if (!hasMp4Header(path)) return fail(2, "Cannot decode " + path);
  std::string name = path.substr(path.rfind('/') + 1);
  return std::make_shared<SimAudioPlayer>(name, clipDuration_, loop_, events_, livePlayers_);
}

size_t SimAudioBackend::livePlayerCount() const {
  return *livePlayers_;
}

}  // namespace platform::sim
