#pragma once

#include <functional>
#include <memory>
#include <string>

#include "tad/Export.h"

typedef struct _GtkWidget GtkWidget;

namespace tad {

class BannerDelegate;
class Request;

// A 320×50 ad banner as a GTK widget that the program packs where it likes. It loads an ad for a
// request, loads the next on the ad server's schedule, and tells its delegate what happens. A
// click on the ad presents a full-screen screen over the window the banner is in, or hands an
// address to another program. Made on the loop's thread while a Host lives, and best gone before
// it; its window may go before it or after. A banner made with no host, or left by its host,
// logs a critical saying so, stays an empty widget of its size, and answers each request with an
// invalid-request failure.
class TAD_EXPORT Banner {
 public:
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 50;

  // A banner showing the ads of the ad unit adUnitId.
  explicit Banner(const std::string& adUnitId);
  // A screen still presented closes with the banner (or with the banner's window), and the
  // delegate hears that it goes.
  ~Banner();
  Banner(const Banner&) = delete;
  Banner& operator=(const Banner&) = delete;

  // The banner's widget. The banner holds a reference of its own, so packing and unpacking it
  // leave it alive; it goes with the banner.
  GtkWidget* widget() const;

  void setDelegate(std::weak_ptr<BannerDelegate> delegate);
  // Loads an ad for request, and the following ones on the ad server's schedule.
  void loadRequest(const Request& request);
  // Whether the banner shows an ad now.
  bool showsAd() const;

  // The next ads come on the ad server's schedule only while the banner can be seen — its widget
  // mapped, in a window neither minimised nor withdrawn — and refresh is not paused here. A
  // refresh that falls due meanwhile comes as soon as both hold again. pauseRefresh also holds
  // back the retries after a failure; a loadRequest goes ahead in any case.
  void pauseRefresh();
  void resumeRefresh();
  // Whether refresh waits now: paused here, or the banner cannot be seen.
  bool isRefreshPaused() const;

  // Calls done(true) once the banner shows an ad and that ad is painted on screen, or
  // done(false) when timeoutSeconds have passed without one (at once on a banner without a host).
  // One wait at a time; a new one replaces the one before, which hears nothing.
  void whenAdPainted(double timeoutSeconds, std::function<void(bool painted)> done);
  // Saves the window the banner is in, as it is drawn now with the ad's page in it, as a PNG
  // file at path. Answers false with the reason in error when it cannot.
  bool saveWindowScreenshot(const std::string& path, std::string* error = nullptr) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tad
