#pragma once

#include <functional>
#include <memory>

namespace platform {

// The main thread's run loop: the one place where the library's work runs. Work is posted with a
// delay (0 means "on the next pass") and an optional owner, and everything an owner posted can be
// cancelled at once — how a delayed perform is cancelled by its target. Timers are one-shot and
// stop when their handle stops them or goes away. invokeOnMainAndWait is the only entry that
// other threads may use.
class RunLoop : public std::enable_shared_from_this<RunLoop> {
 public:
  using Task = std::function<void()>;

  // A one-shot timer. Stopping it, or destroying or reassigning its handle, prevents the task from
  // running; a timer whose task has run is no longer valid.
  class Timer {
   public:
    Timer() = default;
    Timer(Timer&& other) noexcept = default;
    Timer& operator=(Timer&& other) noexcept;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() { stop(); }

    void stop();
    bool isValid() const;

   private:
    friend class RunLoop;
    struct State;
    Timer(std::weak_ptr<RunLoop> loop, std::shared_ptr<State> state)
        : loop_(std::move(loop)), state_(std::move(state)) {}
    std::weak_ptr<RunLoop> loop_;
    std::shared_ptr<State> state_;
  };

  virtual ~RunLoop() = default;

  // The installed platform's main run loop.
  static RunLoop& main();

  virtual void post(double delaySeconds, const void* owner, Task task) = 0;
  void post(Task task) { post(0, nullptr, std::move(task)); }
  // Drops every task posted with this owner that has not run yet.
  virtual void cancel(const void* owner) = 0;
  // cancel on the main loop, for owners that go: safe with no platform installed, when no main
  // loop is left to run their work.
  static void cancelOnMain(const void* owner);

  Timer startTimer(double seconds, Task task);

  // Runs task on the main thread and returns once it has run: at once when called on the main
  // thread, otherwise by handing it to the loop and blocking the calling thread until it is done.
  virtual void invokeOnMainAndWait(Task task) = 0;
  virtual bool isMainThread() const = 0;
};

}  // namespace platform
