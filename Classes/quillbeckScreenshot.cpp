#include "Classes/quillbeckScreenshot.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Classes/quillbeckViewController.h"
#include "adnetwork/AdNetwork.h"
#include "ads/Object/TADObjectPrivate.h"
#include "ads/View/TADBannerView.h"
#include "glibsupport/GlibPtr.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/RunLoop.h"
#include "platform/Window.h"
#include "platform/gtk/GtkPlatform.h"
#include "platform/gtk/GtkViewPeer.h"

quillbeckScreenshot::quillbeckScreenshot(platform::gtk::GtkPlatform& platform, std::string path,
                                         const adnetwork::AdNetwork* network)
    : platform_(platform), path_(std::move(path)), network_(network) {}

quillbeckScreenshot::~quillbeckScreenshot() {
  platform::RunLoop::cancelOnMain(this);
}

void quillbeckScreenshot::start() {
  started_ = platform::Clock::shared().monotonicSeconds();
  poll();
}

void quillbeckScreenshot::poll() {
  auto banner = shownBanner();
  auto picture = banner ? platform_.deviceScreen()->snapshot() : nullptr;
  if (picture && isPainted(picture.get(), *banner)) {
    save(picture.get());
    return;
  }
  if (platform::Clock::shared().monotonicSeconds() - started_ >= kTimeLimit) {
    platform::Console::log(
        "quillbeck: the banner showed no ad within 15 seconds; taking the screenshot without one");
    picture = platform_.deviceScreen()->snapshot();
    save(picture.get());
    return;
  }
  platform::RunLoop::main().post(kPollSeconds, this, [this] { poll(); });
}

std::shared_ptr<TADBannerView> quillbeckScreenshot::shownBanner() const {
  auto window = platform::Application::shared().keyWindow();
  auto screen =
      window ? std::dynamic_pointer_cast<quillbeckViewController>(window->rootViewController())
             : nullptr;
  auto banner = screen ? screen->bannerView() : nullptr;
  auto object = banner ? banner->privateObject() : nullptr;
  if (!object || object->state() != TADObjectPrivate::kStateShown) return nullptr;
  if (network_ && network_->count("/track/impression") == 0) return nullptr;
  return banner;
}

bool quillbeckScreenshot::isPainted(GdkPixbuf* picture, TADBannerView& banner) const {
  GtkWidget* stage = gtk_bin_get_child(GTK_BIN(platform_.deviceScreen()->gtkWindow()));
  GtkWidget* widget = platform::gtk::GtkViewPeer::of(banner).widget();
  int left = 0;
  int top = 0;
  gtk_widget_translate_coordinates(widget, stage, 0, 0, &left, &top);
  int right =
      std::min(left + gtk_widget_get_allocated_width(widget), gdk_pixbuf_get_width(picture));
  int bottom =
      std::min(top + gtk_widget_get_allocated_height(widget), gdk_pixbuf_get_height(picture));
  if (left < 0 || top < 0 || right <= left || bottom <= top) return false;
  const guchar* pixels = gdk_pixbuf_read_pixels(picture);
  const int stride = gdk_pixbuf_get_rowstride(picture);
  const int channels = gdk_pixbuf_get_n_channels(picture);
  auto at = [&](int x, int y) {
    return pixels + static_cast<ptrdiff_t>(y) * stride + static_cast<ptrdiff_t>(x) * channels;
  };
  const guchar* first = at(left, top);
  long differing = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x)
      differing += std::memcmp(at(x, y), first, 3) != 0;
  }
  return differing * 20 > static_cast<long>(right - left) * (bottom - top);
}

void quillbeckScreenshot::save(GdkPixbuf* picture) {
  glibsupport::GErrorPtr error;
  failed_ = !picture || !gdk_pixbuf_save(picture, path_.c_str(), "png", error.out(), nullptr);
  if (!failed_) {
    std::printf("%s\n", path_.c_str());
  } else {
    platform::Console::log("quillbeck: cannot save a screenshot to " + path_ +
                           (error ? std::string(": ") + error->message : std::string()));
  }
  platform_.quit();
}
