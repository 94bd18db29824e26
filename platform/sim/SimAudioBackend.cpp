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

void fail(base::Error* error, int code, const std::string& message) {
  if (!error) return;
  *error = base::Error::withDescription(std::string(AudioPlayer::kErrorDomain), code, message);
}

}  // namespace

std::shared_ptr<AudioPlayer> SimAudioBackend::makePlayer(const base::URL& url, base::Error* error) {
  std::string path = url.path();
  if (!url.isFileURL() || !std::ifstream(path).good()) {
    fail(error, 1, "Cannot open " + url.absoluteString());
    return nullptr;
  }
  if (!hasMp4Header(path)) {
    fail(error, 2, "Cannot decode " + path);
    return nullptr;
  }
  std::string name = path.substr(path.rfind('/') + 1);
  return std::make_shared<SimAudioPlayer>(name, clipDuration_, loop_, events_, livePlayers_);
}

size_t SimAudioBackend::livePlayerCount() const {
  return *livePlayers_;
}

}  // namespace platform::sim
