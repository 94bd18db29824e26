#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/core/RunLoop.h"
#include "platform/core/TaskQueue.h"

namespace platform::sim {

// A run loop on a virtual clock. Nothing runs until the test drives it, pass by pass: a pass runs
// what is due now and was posted before the pass began (see TaskQueue), so work posted during a
// pass waits for the next one, as on a real loop. Passes take no virtual time. Work posted from
// another thread with invokeOnMainAndWait runs at the start of the next pass.
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
  // One pass; answers whether anything ran.
  bool runPass();
  // Runs passes until nothing is due now. (A task that keeps posting itself keeps it busy: drive
  // such a loop with runUntil or advanceUntil.)
  void runUntilIdle();
  // Moves the clock forward by seconds, running every task that falls due on the way at its own
  // time.
  void advance(double seconds);
  // Runs passes, moving the clock to the next task's time whenever nothing is due, until done()
  // holds or the clock would pass maxSeconds from now. Answers done().
  bool advanceUntil(const std::function<bool()>& done, double maxSeconds);
  // Runs passes without moving the clock until done() holds, waiting in real time (at most
  // realTimeoutSeconds) for work from other threads when nothing is due. Answers done().
  bool runUntil(const std::function<bool()>& done, double realTimeoutSeconds = 5);
  size_t pendingTaskCount() const { return tasks_.size(); }

 private:
  bool runForeignTasks();

  std::thread::id mainThread_;
  double now_ = 0;
  TaskQueue tasks_;

  std::mutex foreignMutex_;
  std::condition_variable foreignArrived_;
  std::deque<Task> foreignTasks_;
};

}  // namespace platform::sim
