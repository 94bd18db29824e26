#include "tad/tad-banner.h"

#include <memory>
#include <string>
#include <utility>

#include "library/TadAccess.h"
#include "tad/Banner.h"
#include "tad/BannerDelegate.h"
#include "tad/BannerTrackingDelegate.h"
#include "tad/RequestError.h"
#include "tad/tad-error.h"

namespace {

enum {
  DID_RECEIVE_AD,
  DID_FAIL_TO_RECEIVE_AD,
  WILL_PRESENT_SCREEN,
  WILL_DISMISS_SCREEN,
  DID_DISMISS_SCREEN,
  WILL_LEAVE_APPLICATION,
  DID_RECORD_IMPRESSION,
  DID_RECORD_CLICK,
  N_SIGNALS
};
guint signals[N_SIGNALS];

enum { PROP_0, PROP_AD_UNIT_ID, PROP_SHOWS_AD, PROP_REFRESH_PAUSED, N_PROPERTIES };
GParamSpec* properties[N_PROPERTIES];

// What the C++ banner tells, emitted as the widget's signals. It names its widget until the C++
// banner has gone, the screen's last dismissal included.
class SignalBridge : public tad::BannerDelegate, public tad::BannerTrackingDelegate {
 public:
  TadBanner* owner = nullptr;
  int emitting = 0;  // how many of its signals are being emitted now

  void bannerDidReceiveAd(tad::Banner&) override { emit(DID_RECEIVE_AD); }
  void bannerDidFailToReceiveAd(tad::Banner&, const tad::RequestError& failure) override;
  void bannerWillPresentScreen(tad::Banner&) override { emit(WILL_PRESENT_SCREEN); }
  void bannerWillDismissScreen(tad::Banner&) override { emit(WILL_DISMISS_SCREEN); }
  void bannerDidDismissScreen(tad::Banner&) override { emit(DID_DISMISS_SCREEN); }
  void bannerWillLeaveApplication(tad::Banner&) override { emit(WILL_LEAVE_APPLICATION); }
  void bannerDidRecordImpression(tad::Banner&) override { emit(DID_RECORD_IMPRESSION); }
  void bannerDidRecordClick(tad::Banner&) override { emit(DID_RECORD_CLICK); }

 private:
  template <typename... Arguments>
  void emit(guint signal, Arguments... arguments);
};

}  // namespace

struct _TadBanner {
  GtkBin parent_instance;
  char* ad_unit_id;
  TadHost* host;  // the host it was made under, held until the C++ banner has gone
  std::unique_ptr<tad::Banner>* banner;
  std::shared_ptr<SignalBridge>* bridge;
  gboolean refresh_paused;
  gboolean shows_ad;  // as last notified
};

G_DEFINE_TYPE(TadBanner, tad_banner, GTK_TYPE_BIN)

namespace {

// Notifies shows-ad when the C++ banner's answer has changed.
void updateShowsAd(TadBanner* self) {
  gboolean shows = *self->banner && (*self->banner)->showsAd();
  if (shows == self->shows_ad) return;
  self->shows_ad = shows;
  g_object_notify_by_pspec(G_OBJECT(self), properties[PROP_SHOWS_AD]);
}

template <typename... Arguments>
void SignalBridge::emit(guint signal, Arguments... arguments) {
  if (!owner) return;
  TadBanner* self = TAD_BANNER(g_object_ref(owner));
  ++emitting;
  if (signal == DID_RECEIVE_AD) updateShowsAd(self);
  g_signal_emit(self, signals[signal], 0, arguments...);
  --emitting;
  g_object_unref(self);
}

void SignalBridge::bannerDidFailToReceiveAd(tad::Banner&, const tad::RequestError& failure) {
  GError* error =
      g_error_new_literal(TAD_ERROR, static_cast<int>(failure.code), failure.description.c_str());
  GError* underlying = nullptr;
  if (const auto& cause = failure.underlyingError) {
    underlying = g_error_new_literal(
        g_quark_from_string(cause->domain.empty() ? "tad-underlying-error" : cause->domain.c_str()),
        static_cast<int>(cause->code), cause->description.c_str());
  }
  if (owner) updateShowsAd(owner);
  emit(DID_FAIL_TO_RECEIVE_AD, error, static_cast<guint>(failure.httpStatus.value_or(0)),
       underlying);
  g_error_free(error);
  if (underlying) g_error_free(underlying);
}

// A wait for a painted ad: its task ends once, with the answer or, when the C++ banner drops the
// wait unanswered (a newer wait, the banner going), as cancelled.
class PendingWait {
 public:
  PendingWait(GTask* task, double seconds) : task_(task), seconds_(seconds) {}
  PendingWait(const PendingWait&) = delete;
  PendingWait& operator=(const PendingWait&) = delete;
  ~PendingWait() {
    if (task_)
      finish(FALSE,
             g_error_new_literal(G_IO_ERROR, G_IO_ERROR_CANCELLED,
                                 "The wait for a painted ad was replaced or its banner went"));
  }
  void answer(bool painted) {
    if (painted) {
      finish(TRUE, nullptr);
    } else {
      finish(FALSE,
             g_error_new(TAD_ERROR, TAD_ERROR_TIMEOUT, "No ad was painted within %g s", seconds_));
    }
  }

 private:
  // The task returns from an idle of its own: the program's callback never runs inside the C++
  // banner's calls, which it may end by destroying the banner.
  void finish(gboolean painted, GError* error) {
    GTask* task = std::exchange(task_, nullptr);
    if (!task) return;
    g_object_set_data_full(G_OBJECT(task), "tad-error", error, nullptr);
    g_idle_add(painted ? returnPainted : returnUnpainted, task);
  }
  static gboolean returnPainted(gpointer task) {
    g_task_return_boolean(G_TASK(task), TRUE);
    g_object_unref(task);
    return G_SOURCE_REMOVE;
  }
  static gboolean returnUnpainted(gpointer task) {
    auto* error = static_cast<GError*>(g_object_get_data(G_OBJECT(task), "tad-error"));
    g_task_return_error(G_TASK(task), error);
    g_object_unref(task);
    return G_SOURCE_REMOVE;
  }

  GTask* task_;
  double seconds_;
};

}  // namespace

static void tad_banner_set_property(GObject* object, guint property, const GValue* value,
                                    GParamSpec* pspec) {
  TadBanner* self = TAD_BANNER(object);
  switch (property) {
    case PROP_AD_UNIT_ID:
      g_free(self->ad_unit_id);
      self->ad_unit_id = g_value_dup_string(value);
      break;
    case PROP_REFRESH_PAUSED:
      tad_banner_set_refresh_paused(self, g_value_get_boolean(value));
      break;
    default:
      G_OBJECT_WARN_INVALID_PROPERTY_ID(object, property, pspec);
  }
}

static void tad_banner_get_property(GObject* object, guint property, GValue* value,
                                    GParamSpec* pspec) {
  TadBanner* self = TAD_BANNER(object);
  switch (property) {
    case PROP_AD_UNIT_ID:
      g_value_set_string(value, self->ad_unit_id);
      break;
    case PROP_SHOWS_AD:
      g_value_set_boolean(value, tad_banner_get_shows_ad(self));
      break;
    case PROP_REFRESH_PAUSED:
      g_value_set_boolean(value, self->refresh_paused);
      break;
    default:
      G_OBJECT_WARN_INVALID_PROPERTY_ID(object, property, pspec);
  }
}

// The widget holds the C++ banner's widget, and the host it is made under. Assistive technologies
// find it as one named landmark: the C++ banner's widget inside, a landmark of its own in C++
// programs, is a plain part of it here.
static void tad_banner_constructed(GObject* object) {
  G_OBJECT_CLASS(tad_banner_parent_class)->constructed(object);
  TadBanner* self = TAD_BANNER(object);
  if (TadHost* host = tad_gobject::currentHost()) self->host = TAD_HOST(g_object_ref(host));
  *self->banner = std::make_unique<tad::Banner>(self->ad_unit_id ? self->ad_unit_id : "");
  (*self->bridge)->owner = self;
  (*self->banner)->setDelegate(*self->bridge);
  GtkWidget* inner = (*self->banner)->widget();
  gtk_container_add(GTK_CONTAINER(self), inner);
  AtkObject* innerAccessible = gtk_widget_get_accessible(inner);
  atk_object_set_role(innerAccessible, ATK_ROLE_PANEL);
  atk_object_set_name(innerAccessible, "");
  AtkObject* accessible = gtk_widget_get_accessible(GTK_WIDGET(self));
  atk_object_set_name(accessible, "Advertisement");
}

namespace {

struct Release {
  std::unique_ptr<tad::Banner> banner;
  std::shared_ptr<SignalBridge> bridge;
  TadHost* host;
  TadBanner* widget;  // a reference, while the banner may still emit on it

  static gboolean run(gpointer data) {
    std::unique_ptr<Release> release(static_cast<Release*>(data));
    release->banner.reset();  // a screen still up closes now, and says so
    release->bridge->owner = nullptr;
    if (release->host) g_object_unref(release->host);
    g_object_unref(release->widget);
    return G_SOURCE_REMOVE;
  }
};

}  // namespace

// The C++ banner goes now, or — when the widget goes from inside one of its signals, which the
// C++ banner is still emitting — once that emission is over; then the host it held.
static void tad_banner_destroy(GtkWidget* widget) {
  TadBanner* self = TAD_BANNER(widget);
  if (*self->banner) {
    auto* release = new Release{std::move(*self->banner), *self->bridge,
                                std::exchange(self->host, nullptr), TAD_BANNER(g_object_ref(self))};
    if (release->bridge->emitting > 0) {
      g_idle_add_full(G_PRIORITY_HIGH_IDLE, Release::run, release, nullptr);
    } else {
      Release::run(release);
    }
  }
  GTK_WIDGET_CLASS(tad_banner_parent_class)->destroy(widget);
}

static void tad_banner_finalize(GObject* object) {
  TadBanner* self = TAD_BANNER(object);
  delete self->banner;
  delete self->bridge;
  g_free(self->ad_unit_id);
  G_OBJECT_CLASS(tad_banner_parent_class)->finalize(object);
}

static void tad_banner_class_init(TadBannerClass* klass) {
  GObjectClass* object_class = G_OBJECT_CLASS(klass);
  object_class->set_property = tad_banner_set_property;
  object_class->get_property = tad_banner_get_property;
  object_class->constructed = tad_banner_constructed;
  object_class->finalize = tad_banner_finalize;
  GTK_WIDGET_CLASS(klass)->destroy = tad_banner_destroy;
  gtk_widget_class_set_accessible_role(GTK_WIDGET_CLASS(klass), ATK_ROLE_LANDMARK);

  properties[PROP_AD_UNIT_ID] = g_param_spec_string(
      "ad-unit-id", nullptr, nullptr, nullptr,
      GParamFlags(G_PARAM_READWRITE | G_PARAM_CONSTRUCT_ONLY | G_PARAM_STATIC_STRINGS));
  properties[PROP_SHOWS_AD] = g_param_spec_boolean(
      "shows-ad", nullptr, nullptr, FALSE, GParamFlags(G_PARAM_READABLE | G_PARAM_STATIC_STRINGS));
  properties[PROP_REFRESH_PAUSED] = g_param_spec_boolean(
      "refresh-paused", nullptr, nullptr, FALSE,
      GParamFlags(G_PARAM_READWRITE | G_PARAM_EXPLICIT_NOTIFY | G_PARAM_STATIC_STRINGS));
  g_object_class_install_properties(object_class, N_PROPERTIES, properties);

  const struct {
    guint id;
    const char* name;
  } plain[] = {{DID_RECEIVE_AD, "did-receive-ad"},
               {WILL_PRESENT_SCREEN, "will-present-screen"},
               {WILL_DISMISS_SCREEN, "will-dismiss-screen"},
               {DID_DISMISS_SCREEN, "did-dismiss-screen"},
               {WILL_LEAVE_APPLICATION, "will-leave-application"},
               {DID_RECORD_IMPRESSION, "did-record-impression"},
               {DID_RECORD_CLICK, "did-record-click"}};
  for (const auto& signal : plain) {
    signals[signal.id] = g_signal_new(signal.name, G_TYPE_FROM_CLASS(klass), G_SIGNAL_RUN_LAST, 0,
                                      nullptr, nullptr, nullptr, G_TYPE_NONE, 0);
  }
  signals[DID_FAIL_TO_RECEIVE_AD] = g_signal_new(
      "did-fail-to-receive-ad", G_TYPE_FROM_CLASS(klass), G_SIGNAL_RUN_LAST, 0, nullptr, nullptr,
      nullptr, G_TYPE_NONE, 3, G_TYPE_ERROR, G_TYPE_UINT, G_TYPE_ERROR);
}

static void tad_banner_init(TadBanner* self) {
  self->banner = new std::unique_ptr<tad::Banner>();
  self->bridge = new std::shared_ptr<SignalBridge>(std::make_shared<SignalBridge>());
}

GtkWidget* tad_banner_new(const char* ad_unit_id) {
  g_return_val_if_fail(ad_unit_id != nullptr, nullptr);
  return GTK_WIDGET(g_object_new(TAD_TYPE_BANNER, "ad-unit-id", ad_unit_id, nullptr));
}

const char* tad_banner_get_ad_unit_id(TadBanner* banner) {
  g_return_val_if_fail(TAD_IS_BANNER(banner), nullptr);
  return banner->ad_unit_id;
}

void tad_banner_load_request(TadBanner* banner, TadRequest* request) {
  g_return_if_fail(TAD_IS_BANNER(banner));
  g_return_if_fail(request == nullptr || TAD_IS_REQUEST(request));
  if (!*banner->banner) return;
  if (request) {
    (*banner->banner)->loadRequest(tad_gobject::requestOf(request));
  } else {
    (*banner->banner)->loadRequest(tad::Request());
  }
}

gboolean tad_banner_get_shows_ad(TadBanner* banner) {
  g_return_val_if_fail(TAD_IS_BANNER(banner), FALSE);
  return *banner->banner && (*banner->banner)->showsAd();
}

void tad_banner_pause_refresh(TadBanner* banner) {
  tad_banner_set_refresh_paused(banner, TRUE);
}

void tad_banner_resume_refresh(TadBanner* banner) {
  tad_banner_set_refresh_paused(banner, FALSE);
}

gboolean tad_banner_get_refresh_paused(TadBanner* banner) {
  g_return_val_if_fail(TAD_IS_BANNER(banner), FALSE);
  return banner->refresh_paused;
}

void tad_banner_set_refresh_paused(TadBanner* banner, gboolean paused) {
  g_return_if_fail(TAD_IS_BANNER(banner));
  paused = !!paused;
  if (*banner->banner)
    paused ? (*banner->banner)->pauseRefresh() : (*banner->banner)->resumeRefresh();
  if (paused == banner->refresh_paused) return;
  banner->refresh_paused = paused;
  g_object_notify_by_pspec(G_OBJECT(banner), properties[PROP_REFRESH_PAUSED]);
}

void tad_banner_wait_for_ad_painted(TadBanner* banner, double timeout_seconds,
                                    GAsyncReadyCallback callback, gpointer user_data) {
  g_return_if_fail(TAD_IS_BANNER(banner));
  GTask* task = g_task_new(banner, nullptr, callback, user_data);
  g_task_set_source_tag(task, reinterpret_cast<gpointer>(tad_banner_wait_for_ad_painted));
  auto wait = std::make_shared<PendingWait>(task, timeout_seconds);
  if (*banner->banner)
    (*banner->banner)->whenAdPainted(timeout_seconds, [wait](bool painted) {
      wait->answer(painted);
    });
}

gboolean tad_banner_wait_for_ad_painted_finish(TadBanner* banner, GAsyncResult* result,
                                               GError** error) {
  g_return_val_if_fail(g_task_is_valid(result, banner), FALSE);
  return g_task_propagate_boolean(G_TASK(result), error);
}

gboolean tad_banner_save_window_screenshot(TadBanner* banner, const char* path, GError** error) {
  g_return_val_if_fail(TAD_IS_BANNER(banner), FALSE);
  g_return_val_if_fail(path != nullptr, FALSE);
  g_return_val_if_fail(error == nullptr || *error == nullptr, FALSE);
  std::string reason = "The banner is destroyed";
  if (*banner->banner && (*banner->banner)->saveWindowScreenshot(path, &reason)) return TRUE;
  g_set_error_literal(error, G_IO_ERROR, G_IO_ERROR_FAILED, reason.c_str());
  return FALSE;
}
