#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace platform {

// The ordered queue of work behind every run loop: tasks wait, each with the time it falls due
// and an optional owner, and run in order of due time, then in the order they were posted. Times
// are in whatever unit the loop keeps (virtual seconds, monotonic microseconds); the queue only
// compares them.
//
// A pass runs the tasks that are due when it begins and were posted before it began. Work posted
// while a pass runs — even with no delay — waits for the next pass, so a task that keeps posting
// itself never holds one pass for ever and the loop stays free to look at anything else between
// passes.
class TaskQueue {
 public:
  using Task = std::function<void()>;

  void post(double due, const void* owner, Task task);
  // Drops every waiting task of owner; tasks without an owner cannot be cancelled.
  void cancel(const void* owner);

  // The due time of the earliest waiting task, if any.
  std::optional<double> earliestDue() const;
  size_t size() const { return tasks_.size(); }

  // Runs one pass at time now and answers how many tasks ran. Each task leaves the queue just
  // before it runs, so one that cancels a later task of the same pass stops it.
  size_t runPass(double now);

 private:
  struct Entry {
    double due;
    uint64_t sequence;
    const void* owner;
    Task task;
  };

  uint64_t nextSequence_ = 0;
  std::vector<Entry> tasks_;  // kept sorted by (due, sequence)
};

}  // namespace platform
