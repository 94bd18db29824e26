#include "platform/sim/SimRunLoop.h"

#include <algorithm>
#include <chrono>

namespace platform::sim {

SimRunLoop::SimRunLoop() : mainThread_(std::this_thread::get_id()) {}

void SimRunLoop::post(double delaySeconds, const void* owner, Task task) {
  // Negative and NaN delays mean "now".
  double delay = delaySeconds > 0 ? delaySeconds : 0;
  tasks_.post(now_ + delay, owner, std::move(task));
}

void SimRunLoop::cancel(const void* owner) {
  tasks_.cancel(owner);
}

bool SimRunLoop::isMainThread() const {
  return std::this_thread::get_id() == mainThread_;
}

void SimRunLoop::invokeOnMainAndWait(Task task) {
  if (isMainThread()) {
    task();
    return;
  }
  std::mutex doneMutex;
  std::condition_variable doneSignal;
  bool done = false;
  {
    std::lock_guard lock(foreignMutex_);
    foreignTasks_.push_back([&] {
      task();
      std::lock_guard doneLock(doneMutex);
      done = true;
      doneSignal.notify_one();
    });
  }
  foreignArrived_.notify_one();
  std::unique_lock lock(doneMutex);
  doneSignal.wait(lock, [&] { return done; });
}

bool SimRunLoop::runForeignTasks() {
  std::deque<Task> ready;
  {
    std::lock_guard lock(foreignMutex_);
    ready.swap(foreignTasks_);
  }
  for (Task& task : ready)
    task();
  return !ready.empty();
}

bool SimRunLoop::runPass() {
  bool ranForeign = runForeignTasks();
  return tasks_.runPass(now_) > 0 || ranForeign;
}

void SimRunLoop::runUntilIdle() {
  while (runPass()) {
  }
}

void SimRunLoop::advance(double seconds) {
  double target = now_ + std::max(0.0, seconds);
  runUntilIdle();
  for (auto due = tasks_.earliestDue(); due && *due <= target; due = tasks_.earliestDue()) {
    now_ = std::max(now_, *due);
    runUntilIdle();
  }
  now_ = target;
  runUntilIdle();
}

bool SimRunLoop::advanceUntil(const std::function<bool()>& done, double maxSeconds) {
  const double limit = now_ + std::max(0.0, maxSeconds);
  while (!done()) {
    if (runPass()) continue;
    std::optional<double> due = tasks_.earliestDue();
    if (!due || *due > limit) break;
    now_ = std::max(now_, *due);
  }
  return done();
}

bool SimRunLoop::runUntil(const std::function<bool()>& done, double realTimeoutSeconds) {
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                      std::chrono::duration<double>(realTimeoutSeconds));
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    if (runPass()) continue;
    std::unique_lock lock(foreignMutex_);
    if (!foreignArrived_.wait_until(lock, deadline, [&] { return !foreignTasks_.empty(); })) break;
  }
  return done();
}

}  // namespace platform::sim
