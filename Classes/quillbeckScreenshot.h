#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

class TADBannerView;
namespace adnetwork {
class AdNetwork;
}
namespace platform::gtk {
class GtkPlatform;
}

// The program's --screenshot: takes the picture once the soundboard's banner shows an ad and the
// ad is on screen, or after kTimeLimit in any case, saying so; then quits the program.
// "Shows an ad": the ad object has shown it and, with the embedded network (when given), the ad's
// impression tracking has reached the network. "On screen": the web view paints a little after
// its load ends, so the banner's place in a snapshot is looked at until it holds more than one
// colour, as an empty banner does not.
class quillbeckScreenshot {
 public:
  static constexpr double kTimeLimit = 15;
  static constexpr double kPollSeconds = 0.05;

  quillbeckScreenshot(platform::gtk::GtkPlatform& platform, std::string path,
                      const adnetwork::AdNetwork* network);
  ~quillbeckScreenshot();
  quillbeckScreenshot(const quillbeckScreenshot&) = delete;
  quillbeckScreenshot& operator=(const quillbeckScreenshot&) = delete;

  // Starts watching; call once the device screen is drawn.
  void start();
  // Whether the picture was taken but could not be written; the program's exit status says so.
  bool failed() const { return failed_; }

 private:
  void poll();
  // The soundboard's banner once it shows an ad, else nothing.
  std::shared_ptr<TADBannerView> shownBanner() const;
  // Whether the banner's place in picture holds more than one colour in a twentieth of it.
  bool isPainted(GdkPixbuf* picture, TADBannerView& banner) const;
  void save(GdkPixbuf* picture);

  platform::gtk::GtkPlatform& platform_;
  std::string path_;
  const adnetwork::AdNetwork* network_;
  double started_ = 0;
  bool failed_ = false;
};
