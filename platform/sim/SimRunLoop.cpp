#include "platform/sim/SimRunLoop.h"

#include <algorithm>
#include <chrono>

namespace platform::sim {

SimRunLoop::SimRunLoop() : mainThread_(std::this_thread::get_id()) {}

void SimRunLoop::post(double delaySeconds, const void* owner, Task task) {
  Entry entry{now_ + std::max(0.0, delaySeconds), nextSequence_++, owner, std::move(task)};
  auto position =
      std::upper_bound(tasks_.begin(), tasks_.end(), entry, [](const Entry& a, const Entry& b) {
        return a.due < b.due || (a.due == b.due && a.sequence < b.sequence);
      });
  tasks_.insert(position, std::move(entry));
}

void SimRunLoop::cancel(const void* owner) {
  if (!owner) return;
  std::erase_if(tasks_, [&](const Entry& e) { return e.owner == owner; });
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

void SimRunLoop::runForeignTasks() {
  std::deque<Task> ready;
  {
    std::lock_guard lock(foreignMutex_);
    ready.swap(foreignTasks_);
  }
  for (Task& task : ready)
    task();
}

bool SimRunLoop::runOneDue() {
  if (tasks_.empty() || tasks_.front().due > now_) return false;
  Entry entry = std::move(tasks_.front());
  tasks_.erase(tasks_.begin());
  entry.task();
  return true;
}

void SimRunLoop::runUntilIdle() {
  do {
    runForeignTasks();
  } while (runOneDue());
}

void SimRunLoop::advance(double seconds) {
  double target = now_ + std::max(0.0, seconds);
  runUntilIdle();
  while (!tasks_.empty() && tasks_.front().due <= target) {
    now_ = std::max(now_, tasks_.front().due);
    runUntilIdle();
  }
  now_ = target;
  runUntilIdle();
}

bool SimRunLoop::runUntil(const std::function<bool()>& done, double realTimeoutSeconds) {
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                      std::chrono::duration<double>(realTimeoutSeconds));
  runUntilIdle();
  while (!done()) {
    std::unique_lock lock(foreignMutex_);
    if (!foreignArrived_.wait_until(lock, deadline, [&] { return !foreignTasks_.empty(); })) break;
    lock.unlock();
    runUntilIdle();
  }
  return done();
}

}  // namespace platform::sim
