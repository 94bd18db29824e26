#include "platform/sim/SimAudioPlayer.h"

namespace platform::sim {

SimAudioPlayer::SimAudioPlayer(std::string name, double duration, std::shared_ptr<SimRunLoop> loop,
                               std::shared_ptr<std::vector<std::string>> events,
                               std::shared_ptr<size_t> livePlayers)
    : name_(std::move(name)),
      duration_(duration),
      loop_(std::move(loop)),
      events_(std::move(events)),
      livePlayers_(std::move(livePlayers)) {
  ++*livePlayers_;
  events_->push_back("create " + name_);
}

SimAudioPlayer::~SimAudioPlayer() {
  loop_->cancel(this);
  --*livePlayers_;
  events_->push_back("dispose " + name_);
}

bool SimAudioPlayer::play() {
  events_->push_back("play " + name_);
  if (playing_) return true;
  playing_ = true;
  loop_->post(duration_, this, [this] { finish(); });
  return true;
}

void SimAudioPlayer::stop() {
  events_->push_back("stop " + name_);
  if (!playing_) return;
  playing_ = false;
  loop_->cancel(this);
}

void SimAudioPlayer::finish() {
  playing_ = false;
  events_->push_back("finish " + name_);
  if (auto listener = delegate()) listener->audioPlayerDidFinishPlaying(*this, true);
}

}  // namespace platform::sim
