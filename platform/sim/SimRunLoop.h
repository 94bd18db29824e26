#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/RunLoop.h"

namespace platform::sim {

// A run loop on a virtual clock. Nothing runs until the test drives it: runUntilIdle runs what is
// due now, advance moves the clock forward running each task at its own time. Work posted from
// another thread with invokeOnMainAndWait waits until the main thread drives the loop.
class SimRunLoop : public RunLoop {
 public:
  SimRunLoop();

  using RunLoop::post;
  void post(double delaySeconds, const void* owner, Task task) override;
  void cancel(const void* owner) override;
  void invokeOnMainAndWait(Task task) override;
  bool isMainThread() const override;

  // Seconds of virtual time since the loop was made.
  double now() const { return now_; }
  // Runs every task due at the current time, including those they post with no delay.
  void runUntilIdle();
  // Moves the clock forward by seconds, running every task that falls due on the way.
  void advance(double seconds);
  // Drives the loop until done() holds, waiting in real time (at most realTimeoutSeconds) for work
  // from other threads. Answers done().
  bool runUntil(const std::function<bool()>& done, double realTimeoutSeconds = 5);
  size_t pendingTaskCount() const { return tasks_.size(); }

 private:
  struct Entry {
    double due;
    uint64_t sequence;
    const void* owner;
    Task task;
  };
  bool runOneDue();
  void runForeignTasks();

  std::thread::id mainThread_;
  double now_ = 0;
  uint64_t nextSequence_ = 0;
  std::vector<Entry> tasks_;  // kept sorted by (due, sequence)

  std::mutex foreignMutex_;
  std::condition_variable foreignArrived_;
  std::deque<Task> foreignTasks_;
};

}  // namespace platform::sim
