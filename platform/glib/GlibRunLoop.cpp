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
  static GSourceFuncs funcs{&GlibRunLoop::prepareSource,
                            &GlibRunLoop::checkSource,
                            &GlibRunLoop::dispatchSource,
                            nullptr,
                            nullptr,
                            nullptr};
  source_.reset(g_source_new(&funcs, sizeof(LoopSource)));
  reinterpret_cast<LoopSource*>(source_.get())->loop = this;
  g_source_set_name(source_.get(), "platform run loop");
  g_source_attach(source_.get(), context_.get());
}

GlibRunLoop::~GlibRunLoop() = default;

void GlibRunLoop::post(double delaySeconds, const void* owner, Task task) {
  // Microseconds are whole numbers, exact in a double for the life of any machine.
  tasks_.post(static_cast<double>(g_get_monotonic_time() + microseconds(delaySeconds)), owner,
              std::move(task));
  scheduleWakeUp();
}

void GlibRunLoop::cancel(const void* owner) {
  tasks_.cancel(owner);
  scheduleWakeUp();
}

bool GlibRunLoop::isMainThread() const {
  return std::this_thread::get_id() == mainThread_;
}

// Work is posted on the main thread, which is then running a pass or other work of the context, so
// the context asks prepareSource for the next due time before it sleeps again. A ready time set
// here instead would signal the context on every post and every pass, each signal one more
// needless pass of the whole context (twice the program's wake-ups during a refresh).
void GlibRunLoop::scheduleWakeUp() {
  if (!g_main_context_is_owner(context_.get())) g_main_context_wakeup(context_.get());
}

gboolean GlibRunLoop::prepareSource(GSource* source, gint* timeoutMilliseconds) {
  std::optional<double> due = reinterpret_cast<LoopSource*>(source)->loop->tasks_.earliestDue();
  *timeoutMilliseconds = -1;
  if (!due) return FALSE;
  double wait = *due - static_cast<double>(g_source_get_time(source));
  if (wait <= 0) return TRUE;
  // Rounded up: woken a little early, the pass would find nothing due and sleep again.
  *timeoutMilliseconds = static_cast<gint>(std::min(std::ceil(wait / 1000), double{G_MAXINT}));
  return FALSE;
}

gboolean GlibRunLoop::checkSource(GSource* source) {
  std::optional<double> due = reinterpret_cast<LoopSource*>(source)->loop->tasks_.earliestDue();
  return due && *due <= static_cast<double>(g_source_get_time(source));
}

gboolean GlibRunLoop::dispatchSource(GSource* source, GSourceFunc, gpointer) {
  GlibRunLoop* loop = reinterpret_cast<LoopSource*>(source)->loop;
  loop->tasks_.runPass(static_cast<double>(g_get_monotonic_time()));
  return G_SOURCE_CONTINUE;
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
  glibsupport::GSourcePtr idle(g_idle_source_new());
  g_source_set_priority(idle.get(), G_PRIORITY_DEFAULT);
  g_source_set_callback(
      idle.get(),
      [](gpointer data) -> gboolean {
        auto* c = static_cast<Call*>(data);
        c->task();
        std::lock_guard lock(c->mutex);
        c->done = true;
        c->finished.notify_one();
        return G_SOURCE_REMOVE;
      },
      &call, nullptr);
  g_source_attach(idle.get(), context_.get());

  std::unique_lock lock(call.mutex);
  call.finished.wait(lock, [&] { return call.done; });
}

bool GlibRunLoop::runUntil(const std::function<bool()>& done, double timeoutSeconds) {
  const int64_t deadline = g_get_monotonic_time() + microseconds(timeoutSeconds);
  glibsupport::GSourcePtr poll(g_timeout_source_new(kPollMilliseconds));
  g_source_set_callback(poll.get(), keepPolling, nullptr, nullptr);
  // Below everything else, redrawing included: a condition slower to check than the polling
  // interval must not keep the loop from its other work.
  g_source_set_priority(poll.get(), G_PRIORITY_LOW);
  g_source_attach(poll.get(), context_.get());
  while (!done() && g_get_monotonic_time() < deadline)
    g_main_context_iteration(context_.get(), TRUE);
  // What fell due just before the deadline has its pass too.
  g_main_context_iteration(context_.get(), FALSE);
  return done();
}

void GlibRunLoop::runFor(double seconds) {
  runUntil([] { return false; }, seconds);
}

}  // namespace platform::glib
