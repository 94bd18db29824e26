#pragma once

#include <functional>

// The notices that pause an ad object's refresh and resume it: the application going to the
// background and coming back (before OS 4, resigning active and becoming active again), and a
// full-screen ad screen presented and relinquished. A reload that fell due while paused runs when
// the application becomes active. Observes under the owner's key, from construction until it goes.
class TADRefreshPauses {
 public:
  struct Actions {
    std::function<void()> pause;
    std::function<void()> resume;
    std::function<void()> runDue;
  };

  TADRefreshPauses(const void* key, Actions actions);
  ~TADRefreshPauses();
  TADRefreshPauses(const TADRefreshPauses&) = delete;
  TADRefreshPauses& operator=(const TADRefreshPauses&) = delete;

 private:
  void appDidBackground() { actions_.pause(); }
  void appDidForeground() { actions_.resume(); }
  void adWillPresentFullScreen() { actions_.pause(); }
  void adDidRelinquishFullScreen() { actions_.resume(); }
  void appDidBecomeActive() { actions_.runDue(); }

  const void* key_;
  Actions actions_;
};
