#pragma once

#include <glib.h>

#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "platform/RunLoop.h"

namespace platform::glib {

// The main run loop on a GLib main context (the default one unless another is given), so that the
// library's work shares one loop with GTK, GIO and GStreamer. Posted work is kept in the loop's own
// queue, ordered by due time and then by posting order, exactly as the simulated loop orders it,
// and one GSource wakes the context when the earliest task falls due. A task posted while the
// queue runs waits for the next pass of the context. Due times use GLib's monotonic clock.
//
// The loop runs whenever its context is iterated (g_application_run, gtk_main, or runUntil and
// runFor below). The thread that makes the loop is its main thread.
class GlibRunLoop : public RunLoop {
 public:
  explicit GlibRunLoop(GMainContext* context = nullptr);
  ~GlibRunLoop() override;
  GlibRunLoop(const GlibRunLoop&) = delete;
  GlibRunLoop& operator=(const GlibRunLoop&) = delete;

  using RunLoop::post;
  void post(double delaySeconds, const void* owner, Task task) override;
  void cancel(const void* owner) override;
  void invokeOnMainAndWait(Task task) override;
  bool isMainThread() const override;

  // Iterates the context until done() holds or timeoutSeconds of real time have passed; answers
  // done(). done() is checked at least every few milliseconds.
  bool runUntil(const std::function<bool()>& done, double timeoutSeconds);
  // Iterates the context for seconds of real time; everything due by then has run.
  void runFor(double seconds);

  size_t pendingTaskCount() const { return tasks_.size(); }
  GMainContext* context() const { return context_; }

 private:
  struct Entry {
    int64_t due;  // GLib monotonic microseconds
    uint64_t sequence;
    const void* owner;
    Task task;
  };
  static gboolean dispatchSource(GSource* source, GSourceFunc, gpointer);
  void runDueTasks();
  void scheduleWakeUp();

  GMainContext* context_;
  GSource* source_;
  std::thread::id mainThread_;
  uint64_t nextSequence_ = 0;
  std::vector<Entry> tasks_;  // kept sorted by (due, sequence)
};

}  // namespace platform::glib
