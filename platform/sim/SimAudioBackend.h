#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/media/AudioPlayer.h"
#include "platform/sim/SimRunLoop.h"

namespace platform::sim {

// Makes simulated players. A file can be "decoded" when it exists and carries an MP4-family
// header (the bytes "ftyp" at offset 4), as a clip in .m4a does; every player plays for
// clipDuration seconds of virtual time. All players write their history into one event log:
// "create NAME", "play NAME", "stop NAME", "finish NAME", "dispose NAME" (NAME is the file name).
class SimAudioBackend : public AudioBackend {
 public:
  explicit SimAudioBackend(std::shared_ptr<SimRunLoop> loop) : loop_(std::move(loop)) {}

  base::Expected<std::shared_ptr<AudioPlayer>> makePlayer(const base::URL& url) override;

  void setClipDuration(double seconds) { clipDuration_ = seconds; }
  const std::vector<std::string>& events() const { return *events_; }
  void clearEvents() { events_->clear(); }
  // Players that exist now, playing or not.
  size_t livePlayerCount() const;

 private:
  std::shared_ptr<SimRunLoop> loop_;
  double clipDuration_ = 2;
  std::shared_ptr<std::vector<std::string>> events_ = std::make_shared<std::vector<std::string>>();
  std::shared_ptr<size_t> livePlayers_ = std::make_shared<size_t>(0);
};

}  // namespace platform::sim
