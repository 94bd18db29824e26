#include "platform/core/TaskQueue.h"

#include <algorithm>

namespace platform {

void TaskQueue::post(double due, const void* owner, Task task) {
  Entry entry{due, nextSequence_++, owner, std::move(task)};
  auto position =
      std::upper_bound(tasks_.begin(), tasks_.end(), entry, [](const Entry& a, const Entry& b) {
        return a.due < b.due || (a.due == b.due && a.sequence < b.sequence);
      });
  tasks_.insert(position, std::move(entry));
}

void TaskQueue::cancel(const void* owner) {
  if (!owner) return;
  std::erase_if(tasks_, [&](const Entry& e) { return e.owner == owner; });
}

std::optional<double> TaskQueue::earliestDue() const {
  if (tasks_.empty()) return std::nullopt;
  return tasks_.front().due;
}

size_t TaskQueue::runPass(double now) {
  const uint64_t postedBefore = nextSequence_;
  size_t ran = 0;
  while (true) {
    // Tasks posted during this pass sort after the older ones of the same due time, but one with
    // an earlier due time can come first: skip those.
    auto next = std::find_if(tasks_.begin(), tasks_.end(), [&](const Entry& e) {
      return e.due > now || e.sequence < postedBefore;
    });
    if (next == tasks_.end() || next->due > now) break;
    Task task = std::move(next->task);
    tasks_.erase(next);
    ++ran;
    task();
  }
  return ran;
}

}  // namespace platform
