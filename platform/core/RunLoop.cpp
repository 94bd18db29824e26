#include "platform/core/RunLoop.h"

namespace platform {

struct RunLoop::Timer::State {
  bool valid = true;
};

RunLoop::Timer RunLoop::startTimer(double seconds, Task task) {
  auto state = std::make_shared<Timer::State>();
  // The posted task holds the state alive but the state's address is the owner to cancel by.
  post(seconds, state.get(), [state, task = std::move(task)] {
    if (!state->valid) return;
    state->valid = false;
    task();
  });
  return Timer(weak_from_this(), state);
}

RunLoop::Timer& RunLoop::Timer::operator=(Timer&& other) noexcept {
  if (this != &other) {
    stop();
    loop_ = std::move(other.loop_);
    state_ = std::move(other.state_);
  }
  return *this;
}

void RunLoop::Timer::stop() {
  if (!state_) return;
  state_->valid = false;
  if (auto loop = loop_.lock()) loop->cancel(state_.get());
  state_.reset();
}

bool RunLoop::Timer::isValid() const {
  return state_ && state_->valid;
}

}  // namespace platform
