#include "platform/glib/GlibRunLoop.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>

namespace platform::glib {

namespace {

// A year: longer delays are clamped so that the microsecond arithmetic cannot overflow.
constexpr double kLongestDelaySeconds = 365.0 * 24 * 3600;
// How often runUntil looks at its condition when nothing else wakes the context.
constexpr guint kPollMilliseconds = 5;

struct LoopSource {
  GSource base;
  GlibRunLoop* loop;
};

int64_t microseconds(double seconds) {
  if (!(seconds > 0)) return 0;  // negative, zero and NaN delays mean "next pass"
  return std::llround(std::min(seconds, kLongestDelaySeconds) * 1e6);
}

gboolean keepPolling(gpointer) {
  return G_SOURCE_CONTINUE;
}

}  // namespace

GlibRunLoop::GlibRunLoop(GMainContext* context)
    : context_(g_main_context_ref(context ? context : g_main_context_default())),
      mainThread_(std::this_thread::get_id()) {
  static GSourceFuncs funcs{nullptr, nullptr, &GlibRunLoop::dispatchSource,
                            nullptr, nullptr, nullptr};
  source_ = g_source_new(&funcs, sizeof(LoopSource));
  reinterpret_cast<LoopSource*>(source_)->loop = this;
  g_source_set_name(source_, "platform run loop");
  g_source_set_ready_time(source_, -1);
  g_source_attach(source_, context_);
}

GlibRunLoop::~GlibRunLoop() {
  g_source_destroy(source_);
  g_source_unref(source_);
  g_main_context_unref(context_);
}

void GlibRunLoop::post(double delaySeconds, const void* owner, Task task) {
  Entry entry{g_get_monotonic_time() + microseconds(delaySeconds), nextSequence_++, owner,
              std::move(task)};
  auto position =
      std::upper_bound(tasks_.begin(), tasks_.end(), entry, [](const Entry& a, const Entry& b) {
        return a.due < b.due || (a.due == b.due && a.sequence < b.sequence);
      });
  tasks_.insert(position, std::move(entry));
  scheduleWakeUp();
}

void GlibRunLoop::cancel(const void* owner) {
  if (!owner) return;
  std::erase_if(tasks_, [&](const Entry& e) { return e.owner == owner; });
  scheduleWakeUp();
}

bool GlibRunLoop::isMainThread() const {
  return std::this_thread::get_id() == mainThread_;
}

void GlibRunLoop::scheduleWakeUp() {
  g_source_set_ready_time(source_, tasks_.empty() ? -1 : tasks_.front().due);
}

gboolean GlibRunLoop::dispatchSource(GSource* source, GSourceFunc, gpointer) {
  reinterpret_cast<LoopSource*>(source)->loop->runDueTasks();
  return G_SOURCE_CONTINUE;
}

// Runs, one at a time, the tasks that were due when this pass began and had been posted before it.
// Each is taken from the queue just before it runs, so a task that cancels a later one in the same
// pass stops it.
void GlibRunLoop::runDueTasks() {
  const int64_t now = g_get_monotonic_time();
  const uint64_t postedBefore = nextSequence_;
  while (true) {
    auto next = std::find_if(tasks_.begin(), tasks_.end(), [&](const Entry& e) {
      return e.due > now || e.sequence < postedBefore;
    });
    if (next == tasks_.end() || next->due > now) break;
    Task task = std::move(next->task);
    tasks_.erase(next);
    task();
  }
  scheduleWakeUp();
}

void GlibRunLoop::invokeOnMainAndWait(Task task) {
  if (isMainThread()) {
    task();
    return;
  }
  struct Call {
    Task task;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
  } call{std::move(task), {}, {}, false};

  // An idle source of its own, rather than g_main_context_invoke, which would run the task right
  // here on this thread whenever the main thread is not iterating the context at that moment.
  GSource* idle = g_idle_source_new();
  g_source_set_priority(idle, G_PRIORITY_DEFAULT);
  g_source_set_callback(
      idle,
      [](gpointer data) -> gboolean {
        auto* c = static_cast<Call*>(data);
        c->task();
        std::lock_guard lock(c->mutex);
        c->done = true;
        c->finished.notify_one();
        return G_SOURCE_REMOVE;
      },
      &call, nullptr);
  g_source_attach(idle, context_);
  g_source_unref(idle);

  std::unique_lock lock(call.mutex);
  call.finished.wait(lock, [&] { return call.done; });
}

bool GlibRunLoop::runUntil(const std::function<bool()>& done, double timeoutSeconds) {
  const int64_t deadline = g_get_monotonic_time() + microseconds(timeoutSeconds);
  GSource* poll = g_timeout_source_new(kPollMilliseconds);
  g_source_set_callback(poll, keepPolling, nullptr, nullptr);
  g_source_attach(poll, context_);
  while (!done() && g_get_monotonic_time() < deadline)
    g_main_context_iteration(context_, TRUE);
  // What fell due just before the deadline has its pass too.
  g_main_context_iteration(context_, FALSE);
  g_source_destroy(poll);
  g_source_unref(poll);
  return done();
}

void GlibRunLoop::runFor(double seconds) {
  runUntil([] { return false; }, seconds);
}

}  // namespace platform::glib
