#pragma once

#include <glib.h>

#include <functional>
#include <thread>

#include "platform/core/RunLoop.h"
#include "platform/core/TaskQueue.h"
#include "platform/glibsupport/GlibPtr.h"

namespace platform::glib {

// The main run loop on a GLib main context (the default one unless another is given), so that the
// library's work shares one loop with GTK, GIO and GStreamer. Posted work waits in the same
// TaskQueue as the simulated loop's, and one GSource tells the context when the earliest task falls
// due: each dispatch of that source is one pass. Due times use GLib's monotonic clock.
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
  GMainContext* context() const { return context_.get(); }

 private:
  static gboolean prepareSource(GSource* source, gint* timeoutMilliseconds);
  static gboolean checkSource(GSource* source);
  static gboolean dispatchSource(GSource* source, GSourceFunc, gpointer);
  void scheduleWakeUp();

  glibsupport::GMainContextPtr context_;
  glibsupport::GSourcePtr source_;
  std::thread::id mainThread_;
  TaskQueue tasks_;  // due times in GLib monotonic microseconds
};

}  // namespace platform::glib
