#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/media/AudioPlayer.h"
#include "platform/sim/SimRunLoop.h"

namespace platform::sim {

// A player that "plays" for a fixed span of virtual time and logs what is asked of it.
class SimAudioPlayer : public AudioPlayer {
 public:
  SimAudioPlayer(std::string name, double duration, std::shared_ptr<SimRunLoop> loop,
                 std::shared_ptr<std::vector<std::string>> events,
                 std::shared_ptr<size_t> livePlayers);
  ~SimAudioPlayer() override;

  bool play() override;
  void stop() override;
  bool isPlaying() const override { return playing_; }

 private:
  void finish();

  std::string name_;
  double duration_;
  std::shared_ptr<SimRunLoop> loop_;
  std::shared_ptr<std::vector<std::string>> events_;
  std::shared_ptr<size_t> livePlayers_;
  bool playing_ = false;
};

}  // namespace platform::sim
